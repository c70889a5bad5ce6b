// The link's log: lines appended to a stream that nothing in the program attaches.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "common/WideText.h"
#include "usb/NarrowText.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// Shortens the terminated text in `buffer` to `length` characters, never splitting a pair.
void CutTo(std::span<char16_t> buffer, std::size_t length) {
    if (length > 0 && IsHighSurrogate(buffer[length - 1])) {
        --length;
    }
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(length), buffer.end(), u'\0');
}

}  // namespace

void CUsbLink::WriteLogLine(std::u16string_view line) {
    std::fill(std::begin(m_szLogW), std::end(m_szLogW), u'\0');
    std::fill(std::begin(m_szLogA), std::end(m_szLogA), '\0');
    // A line longer than the buffers is cut to fit them: a log line is only read by people.
    const std::size_t fitting = std::min(line.size(), kLogLineCapacity - 1);
    std::copy_n(line.begin(), fitting, m_szLogW);
    CutTo(m_szLogW, fitting);

    KernelObjects& kernel = m_platform.kernelObjects;
    std::size_t length = BoundedLength(m_szLogW, kLogLineCapacity);
    for (int size = NarrowSize(kernel, m_szLogW);
         size > static_cast<int>(kLogLineCapacity) && length > 0;
         size = NarrowSize(kernel, m_szLogW)) {
        // No character takes more than three bytes in the narrow code pages in use.
        const auto excess = static_cast<std::size_t>(size) - kLogLineCapacity;
        length -= std::min(length, std::max<std::size_t>(1, (excess + 2) / 3));
        CutTo(m_szLogW, length);
        length = BoundedLength(m_szLogW, kLogLineCapacity);
    }

    std::fseek(m_pLogFile, 0, SEEK_END);
    ToNarrow(kernel, m_szLogA, m_szLogW);
    std::fwrite(m_szLogA, 1, strnlen(m_szLogA, kLogLineCapacity), m_pLogFile);
    std::fflush(m_pLogFile);
}

void CUsbLink::FinishLog() {
    if (m_pLogFile == nullptr) {
        return;
    }
    if (m_bLogTrailer != 0) {
        Clock& clock = m_platform.clock;
        std::tm now{};
        // Without a local time there is no date to write; the trailer is left out.
        if (clock.LocalTime(clock.Now(), now)) {
            WriteLog(1,
                     u"========================== End  [%04d/%02d/%02d], [%02d:%02d:%02d] "
                     u"========================\n\n",
                     now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min,
                     now.tm_sec);
        }
    }
    std::fclose(m_pLogFile);
    m_pLogFile = nullptr;
}

}  // namespace kelvane
