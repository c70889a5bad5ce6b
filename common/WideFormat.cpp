#include "common/WideFormat.h"

#include <algorithm>

namespace kelvane {
namespace {

struct FieldFormat {
    bool leftAlign = false;
    bool zeroPad = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    std::size_t width = 0;
    bool hasPrecision = false;
    std::size_t precision = 0;
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::size_t ReadCount(std::u16string_view format, std::size_t& pos) {
    std::size_t value = 0;
    while (pos < format.size() && IsDigit(format[pos])) {
        // Widths beyond any sane line are clamped rather than allowed to exhaust memory.
        value =
            std::min<std::size_t>(value * 10 + static_cast<std::size_t>(format[pos] - u'0'), 4096);
        ++pos;
    }
    return value;
}

std::u16string Digits(std::uint32_t value, unsigned base, bool upper) {
    const char16_t* digits = upper ? u"0123456789ABCDEF" : u"0123456789abcdef";
    std::u16string out;
    do {
        out.insert(out.begin(), digits[value % base]);
        value /= base;
    } while (value != 0);
    return out;
}

void Pad(std::u16string& out, std::u16string_view prefix, std::u16string_view body,
         const FieldFormat& field, bool numeric) {
    const std::size_t length = prefix.size() + body.size();
    const std::size_t fill = field.width > length ? field.width - length : 0;
    if (field.leftAlign) {
        out.append(prefix).append(body).append(fill, u' ');
    } else if (field.zeroPad && numeric && !field.hasPrecision) {
        out.append(prefix).append(fill, u'0').append(body);
    } else {
        out.append(fill, u' ').append(prefix).append(body);
    }
}

void FormatInteger(std::u16string& out, char16_t conversion, std::uint64_t bits,
                   const FieldFormat& field) {
    const auto low = static_cast<std::uint32_t>(bits);
    // A sign or a radix prefix, always one of the fixed texts below.
    std::u16string_view prefix;
    std::u16string body;
    if (conversion == u'd' || conversion == u'i') {
        const auto value = static_cast<std::int32_t>(low);
        const bool negative = value < 0;
        const std::uint32_t magnitude = negative ? 0u - low : low;
        body = Digits(magnitude, 10, false);
        if (negative) {
            prefix = u"-";
        } else if (field.plusSign) {
            prefix = u"+";
        } else if (field.spaceSign) {
            prefix = u" ";
        }
    } else if (conversion == u'u') {
        body = Digits(low, 10, false);
    } else {
        const bool upper = conversion == u'X';
        body = Digits(low, 16, upper);
        if (field.alternate && low != 0) {
            prefix = upper ? u"0X" : u"0x";
        }
    }
    if (field.hasPrecision) {
        if (field.precision == 0 && low == 0) {
            body.clear();
        } else if (body.size() < field.precision) {
            body.insert(0, field.precision - body.size(), u'0');
        }
    }
    Pad(out, prefix, body, field, true);
}

}  // namespace

std::u16string FormatWide(std::u16string_view format, std::span<const FormatArg> args) {
    std::u16string out;
    out.reserve(format.size() + 16);
    std::size_t next = 0;
    const auto take = [&]() -> const FormatArg* {
        return next < args.size() ? &args[next++] : nullptr;
    };

    for (std::size_t pos = 0; pos < format.size();) {
        const char16_t c = format[pos];
        if (c != u'%') {
            out.push_back(c);
            ++pos;
            continue;
        }
        const std::size_t start = pos++;
        FieldFormat field;
        for (; pos < format.size(); ++pos) {
            const char16_t flag = format[pos];
            if (flag == u'-') {
                field.leftAlign = true;
            } else if (flag == u'0') {
                field.zeroPad = true;
            } else if (flag == u'+') {
                field.plusSign = true;
            } else if (flag == u' ') {
                field.spaceSign = true;
            } else if (flag == u'#') {
                field.alternate = true;
            } else {
                break;
            }
        }
        field.width = ReadCount(format, pos);
        if (pos < format.size() && format[pos] == u'.') {
            ++pos;
            field.hasPrecision = true;
            field.precision = ReadCount(format, pos);
        }
        // Length modifiers change nothing for the 32-bit values and wide texts used here.
        while (pos < format.size() &&
               (format[pos] == u'l' || format[pos] == u'h' || format[pos] == u'w')) {
            ++pos;
        }
        if (pos >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        const char16_t conversion = format[pos++];
        switch (conversion) {
            case u'%':
                out.push_back(u'%');
                break;
            case u'd':
            case u'i':
            case u'u':
            case u'x':
            case u'X': {
                const FormatArg* arg = take();
                FormatInteger(out, conversion, arg && !arg->IsText() ? arg->Bits() : 0, field);
                break;
            }
            case u'c': {
                const FormatArg* arg = take();
                const auto ch = static_cast<char16_t>(arg && !arg->IsText() ? arg->Bits() : 0);
                Pad(out, {}, std::u16string_view(&ch, 1), field, false);
                break;
            }
            case u's': {
                const FormatArg* arg = take();
                std::u16string_view text = arg && arg->IsText() ? arg->Text() : u"";
                if (field.hasPrecision && text.size() > field.precision) {
                    text = text.substr(0, field.precision);
                }
                Pad(out, {}, text, field, false);
                break;
            }
            default:
                out.append(format.substr(start, pos - start));
                break;
        }
    }
    return out;
}

}  // namespace kelvane
