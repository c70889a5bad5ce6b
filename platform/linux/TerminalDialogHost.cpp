#include "platform/linux/TerminalDialogHost.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "common/Utf8.h"

namespace kelvane {
namespace {

// How long a lone ESC waits for the rest of an escape sequence before it is the Escape key.
constexpr int kEscapeWaitMs = 40;

constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[?25l";
constexpr char kLeaveScreen[] = "\x1b[0m\x1b[?25h\x1b[?1049l";

// What a signal handler needs to give the terminal back.
volatile sig_atomic_t g_rawFd = -1;
volatile sig_atomic_t g_outputFd = -1;
termios g_savedTermios;
volatile sig_atomic_t g_resized = 0;
struct sigaction g_previous[4];
constexpr int kRestoringSignals[] = {SIGTERM, SIGHUP, SIGQUIT};

void RestoreAndReraise(int signal) {
    if (g_rawFd >= 0) {
        ::tcsetattr(g_rawFd, TCSANOW, &g_savedTermios);
    }
    if (g_outputFd >= 0) {
        [[maybe_unused]] const ssize_t written =
            ::write(g_outputFd, kLeaveScreen, sizeof(kLeaveScreen) - 1);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void NoteResize(int) {
    g_resized = 1;
}

// Columns a character takes: two for the wide East Asian ones.
int CellWidth(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::u32string Decode(std::u16string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// The text as shown: "&x" is x, "&&" is "&"; `accessKey` gets the letter after a single "&".
std::u32string Shown(std::u16string_view text, bool prefixes, char32_t* accessKey = nullptr) {
    std::u32string shown;
    const std::u32string decoded = Decode(text);
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (prefixes && decoded[i] == U'&' && i + 1 < decoded.size()) {
            ++i;
            if (decoded[i] != U'&' && accessKey != nullptr && *accessKey == 0) {
                *accessKey = decoded[i];
            }
        }
        shown.push_back(decoded[i] == U'\t' ? U' ' : decoded[i]);
    }
    return shown;
}

int WidthOf(const std::u32string& text) {
    int width = 0;
    for (const char32_t c : text) {
        width += CellWidth(c);
    }
    return width;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The screen as character cells; a wide character's second cell holds 0.
class Screen {
public:
    Screen(int columns, int rows)
        : m_columns(columns),
          m_rows(rows),
          m_cells(static_cast<std::size_t>(columns * rows), Cell{U' ', false}) {}

    void Put(int column, int row, const std::u32string& text, bool highlighted = false,
             int limit = 1 << 20) {
        for (const char32_t c : text) {
            const int width = CellWidth(c);
            if (width > limit || column < 0 || row < 0 || row >= m_rows ||
                column + width > m_columns) {
                break;
            }
            At(column, row) = {c, highlighted};
            if (width == 2) {
                At(column + 1, row) = {0, highlighted};
            }
            column += width;
            limit -= width;
        }
    }
    void Fill(int column, int row, int width, int height) {
        for (int y = row; y < row + height; ++y) {
            for (int x = column; x < column + width; ++x) {
                if (x >= 0 && y >= 0 && x < m_columns && y < m_rows) {
                    At(x, y) = {U' ', false};
                }
            }
        }
    }
    void Box(int column, int row, int width, int height, const std::u32string& caption) {
        Fill(column, row, width, height);
        std::u32string top =
            U"+" + std::u32string(static_cast<std::size_t>(width - 2), U'-') + U"+";
        Put(column, row, top);
        for (int y = row + 1; y < row + height - 1; ++y) {
            Put(column, y, U"|");
            Put(column + width - 1, y, U"|");
        }
        Put(column, row + height - 1, top);
        if (!caption.empty()) {
            Put(column + 2, row, U" " + caption + U" ", false, width - 4);
        }
    }
    std::string Draw() const {
        std::string out = "\x1b[0m\x1b[H\x1b[2J";
        for (int y = 0; y < m_rows; ++y) {
            out += "\x1b[" + std::to_string(y + 1) + ";1H";
            bool highlighted = false;
            for (int x = 0; x < m_columns; ++x) {
                const Cell& cell = m_cells[static_cast<std::size_t>(y * m_columns + x)];
                if (cell.c == 0) {
                    continue;
                }
                if (cell.highlighted != highlighted) {
                    out += cell.highlighted ? "\x1b[7m" : "\x1b[0m";
                    highlighted = cell.highlighted;
                }
                AppendUtf8(out, cell.c);
            }
            if (highlighted) {
                out += "\x1b[0m";
            }
        }
        return out;
    }

private:
    struct Cell {
        char32_t c;
        bool highlighted;
    };
    Cell& At(int x, int y) { return m_cells[static_cast<std::size_t>(y * m_columns + x)]; }

    int m_columns;
    int m_rows;
    std::vector<Cell> m_cells;
};

int Columns(std::int16_t dialogUnits) {
    return (dialogUnits + 2) / 4;
}
int Rows(std::int16_t dialogUnits) {
    return (dialogUnits + 4) / 8;
}

}  // namespace

TerminalDialogHost::TerminalDialogHost(int input, int output) : m_input(input), m_output(output) {}

TerminalDialogHost::~TerminalDialogHost() {
    LeaveTerminal();
}

void TerminalDialogHost::WatchDescriptor(int fd, std::function<void()> ready) {
    if (fd >= 0) {
        m_watches.push_back({fd, std::move(ready)});
    }
}

DeviceContext TerminalDialogHost::BeginPaint(WindowHandle window) {
    return Find(window) != nullptr ? DeviceContext{1} : DeviceContext::Null();
}

bool TerminalDialogHost::GetClientRect(WindowHandle window, RECT& rect) {
    const Window* record = Find(window);
    if (record == nullptr || record->dialogTemplate == nullptr) {
        return false;
    }
    rect = RECT{0, 0, Columns(record->dialogTemplate->width), Rows(record->dialogTemplate->height)};
    return true;
}

void TerminalDialogHost::EnterTerminal() {
    if (m_raw) {
        return;
    }
    m_raw = true;
    if (::isatty(m_input) == 1 && ::tcgetattr(m_input, &m_saved) == 0) {
        termios raw = m_saved;
        // Keys one by one and unechoed; Ctrl-C is a key of the dialog, not a signal.
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
        raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        g_savedTermios = m_saved;
        g_rawFd = m_input;
        ::tcsetattr(m_input, TCSANOW, &raw);
    }
    g_outputFd = m_output;
    struct sigaction restore {};
    restore.sa_handler = RestoreAndReraise;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i) {
        ::sigaction(kRestoringSignals[i], &restore, &g_previous[i]);
    }
    struct sigaction resize {};
    resize.sa_handler = NoteResize;
    sigemptyset(&resize.sa_mask);
    ::sigaction(SIGWINCH, &resize, &g_previous[3]);
    Write(kEnterScreen);
    m_dirty = true;
}

void TerminalDialogHost::LeaveTerminal() {
    if (!m_raw) {
        return;
    }
    m_raw = false;
    Write(kLeaveScreen);
    if (g_rawFd >= 0) {
        ::tcsetattr(m_input, TCSANOW, &m_saved);
        g_rawFd = -1;
    }
    g_outputFd = -1;
    for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i) {
        ::sigaction(kRestoringSignals[i], &g_previous[i], nullptr);
    }
    ::sigaction(SIGWINCH, &g_previous[3], nullptr);
}

void TerminalDialogHost::Write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(m_output, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // nobody to show it to
        }
        done += static_cast<std::size_t>(written);
    }
}

void TerminalDialogHost::Realise(WindowHandle dialog) {
    EnterTerminal();
    m_shown.push_back(dialog);
    const std::vector<WindowHandle> buttons = FocusableButtons(dialog);
    m_focus[dialog.value] = buttons.empty() ? WindowHandle::Null() : buttons.front();
    m_dirty = true;
}

void TerminalDialogHost::Unrealise(WindowHandle dialog) {
    std::erase(m_shown, dialog);
    m_focus.erase(dialog.value);
    if (m_menu && m_menu->dialog == dialog) {
        m_menu.reset();
    }
    m_dirty = true;
    if (m_shown.empty()) {
        LeaveTerminal();
    } else {
        Render();
    }
}

std::vector<WindowHandle> TerminalDialogHost::FocusableButtons(WindowHandle dialog) const {
    std::vector<WindowHandle> buttons;
    for (const WindowHandle child : ChildrenOf(dialog)) {
        const DialogControl* control = ControlOf(child);
        if (control->kind == ControlKind::kButton && (control->style & kWsVisible) != 0 &&
            (control->style & kWsTabStop) != 0) {
            buttons.push_back(child);
        }
    }
    return buttons;
}

void TerminalDialogHost::MoveFocus(WindowHandle dialog, int step) {
    const std::vector<WindowHandle> buttons = FocusableButtons(dialog);
    if (buttons.empty()) {
        return;
    }
    const auto current = std::find(buttons.begin(), buttons.end(), m_focus[dialog.value]);
    const long index = current == buttons.end() ? 0 : current - buttons.begin();
    const long count = static_cast<long>(buttons.size());
    m_focus[dialog.value] =
        buttons[static_cast<std::size_t>(((index + step) % count + count) % count)];
    m_dirty = true;
}

void TerminalDialogHost::RunModalLoop(WindowHandle dialog) {
    while (IsOpen(dialog)) {
        if (m_dirty) {
            Render();
        }
        WaitAndHandle();
    }
}

void TerminalDialogHost::WaitAndHandle() {
    std::vector<pollfd> watched;
    if (m_inputOpen) {
        watched.push_back({m_input, POLLIN, 0});
    }
    for (const Watch& watch : m_watches) {
        watched.push_back({watch.fd, POLLIN, 0});
    }
    // A lone ESC is the Escape key once nothing follows it for a moment.
    const bool escapeWaiting = m_pending == "\x1b";
    const int ready = ::poll(watched.data(), watched.size(), escapeWaiting ? kEscapeWaitMs : -1);
    if (ready < 0) {
        if (g_resized != 0) {
            g_resized = 0;
            m_dirty = true;
        }
        return;
    }
    const std::vector<Watch> watches = m_watches;  // a callback may add a watch
    std::size_t next = 0;
    bool inputReady = false;
    if (m_inputOpen) {
        inputReady = (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        next = 1;
    }
    for (std::size_t i = 0; i < watches.size(); ++i) {
        if ((watched[next + i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            watches[i].ready();
            m_dirty = true;
        }
    }
    if (inputReady) {
        char bytes[64];
        const ssize_t count = ::read(m_input, bytes, sizeof(bytes));
        if (count > 0) {
            m_pending.append(bytes, static_cast<std::size_t>(count));
        } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
            m_inputOpen = false;  // no more keys; the dialog waits for its devices alone
        }
    }
    const bool escapeComplete = ready == 0 && escapeWaiting;
    char character = 0;
    for (Key key = TakeKey(character, escapeComplete); key != Key::kNone;
         key = TakeKey(character, escapeComplete)) {
        HandleKey(key, character);
        m_dirty = true;
    }
}

TerminalDialogHost::Key TerminalDialogHost::TakeKey(char& character, bool escapeComplete) {
    if (m_pending.empty()) {
        return Key::kNone;
    }
    const auto take = [&](std::size_t length, Key key) {
        m_pending.erase(0, length);
        return key;
    };
    const unsigned char first = static_cast<unsigned char>(m_pending[0]);
    if (first == 0x1b) {
        if (m_pending.size() == 1) {
            return escapeComplete ? take(1, Key::kEscape) : Key::kNone;
        }
        const char kind = m_pending[1];
        if (kind == 'O') {
            if (m_pending.size() < 3) {
                return Key::kNone;
            }
            const char code = m_pending[2];
            return take(3, code == 'A'   ? Key::kUp
                           : code == 'B' ? Key::kDown
                           : code == 'C' ? Key::kRight
                           : code == 'D' ? Key::kLeft
                                         : Key::kCharacter);
        }
        if (kind != '[') {
            return take(1, Key::kEscape);  // ESC, then an ordinary key
        }
        std::size_t end = 2;
        while (end < m_pending.size() && !(m_pending[end] >= 0x40 && m_pending[end] <= 0x7E)) {
            ++end;
        }
        if (end == m_pending.size()) {
            return Key::kNone;
        }
        const std::string sequence = m_pending.substr(2, end - 1);
        Key key = Key::kCharacter;
        if (sequence == "A")
            key = Key::kUp;
        else if (sequence == "B")
            key = Key::kDown;
        else if (sequence == "C")
            key = Key::kRight;
        else if (sequence == "D")
            key = Key::kLeft;
        else if (sequence == "Z")
            key = Key::kBackTab;
        else if (sequence == "21~")
            key = Key::kMenu;  // F10
        character = 0;
        return take(end + 1, key);
    }
    character = static_cast<char>(first);
    switch (first) {
        case '\r':
        case '\n':
            return take(1, Key::kEnter);
        case ' ':
            return take(1, Key::kSpace);
        case '\t':
            return take(1, Key::kTab);
        case 0x03:
            return take(1, Key::kCtrlC);
        default:
            return take(1, Key::kCharacter);
    }
}

void TerminalDialogHost::HandleKey(Key key, char character) {
    const WindowHandle dialog = ActiveDialog();
    if (dialog.IsNull()) {
        return;
    }
    if (m_menu) {
        HandleMenuKey(key, character);
        return;
    }
    const WindowHandle focused = m_focus[dialog.value];
    switch (key) {
        case Key::kEscape:
            PressEscape(dialog);
            break;
        case Key::kEnter:
        case Key::kSpace:
            if (!focused.IsNull()) {
                SendMessageW(dialog, kWmCommand, static_cast<std::uint16_t>(ControlOf(focused)->id),
                             0);
            } else if (key == Key::kEnter) {
                PressEnter(dialog);
            }
            break;
        case Key::kTab:
        case Key::kRight:
        case Key::kDown:
            MoveFocus(dialog, 1);
            break;
        case Key::kBackTab:
        case Key::kLeft:
        case Key::kUp:
            MoveFocus(dialog, -1);
            break;
        case Key::kCtrlC:
            SystemCommand(dialog, kScClose);
            break;
        case Key::kMenu:
            if (!GetSystemMenu(dialog, false).IsNull()) {
                m_menu = OpenMenu{dialog, 0};
            }
            break;
        case Key::kCharacter:
            if ((character == 'm' || character == 'M') && !GetSystemMenu(dialog, false).IsNull()) {
                m_menu = OpenMenu{dialog, 0};
            }
            break;
        case Key::kNone:
            break;
    }
}

void TerminalDialogHost::HandleMenuKey(Key key, char character) {
    const WindowHandle dialog = m_menu->dialog;
    const std::vector<MenuItem>* items = MenuItems(GetSystemMenu(dialog, false));
    if (items == nullptr || items->empty() || !IsOpen(dialog)) {
        m_menu.reset();
        return;
    }
    const auto step = [&](int direction) {
        std::size_t index = m_menu->selected;
        for (std::size_t tries = 0; tries < items->size(); ++tries) {
            index = direction > 0 ? (index + 1) % items->size()
                                  : (index + items->size() - 1) % items->size();
            if (!(*items)[index].separator) {
                m_menu->selected = index;
                return;
            }
        }
    };
    std::optional<std::uint32_t> chosen;
    switch (key) {
        case Key::kEscape:
        case Key::kMenu:
        case Key::kCtrlC:
            m_menu.reset();
            return;
        case Key::kUp:
        case Key::kBackTab:
            step(-1);
            return;
        case Key::kDown:
        case Key::kTab:
            step(1);
            return;
        case Key::kEnter:
        case Key::kSpace:
            chosen = (*items)[m_menu->selected].id;
            break;
        case Key::kCharacter:
            for (const MenuItem& item : *items) {
                char32_t accessKey = 0;
                Shown(item.text, true, &accessKey);
                if (!item.separator && accessKey < 0x80 && accessKey != 0 &&
                    std::tolower(static_cast<int>(accessKey)) ==
                        std::tolower(static_cast<unsigned char>(character))) {
                    chosen = item.id;
                    break;
                }
            }
            if (!chosen && (character == 'm' || character == 'M')) {
                m_menu.reset();
            }
            if (!chosen) {
                return;
            }
            break;
        default:
            return;
    }
    m_menu.reset();
    Render();
    SystemCommand(dialog, *chosen);
}

void TerminalDialogHost::Render() {
    m_dirty = false;
    if (!m_raw) {
        return;
    }
    winsize size{};
    int columns = 80;
    int rows = 24;
    if (::ioctl(m_output, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        columns = size.ws_col;
        rows = size.ws_row;
    }
    Screen screen(columns, rows);
    int menuColumn = 0;
    int menuRow = 0;
    for (const WindowHandle dialog : m_shown) {
        const Window* record = Find(dialog);
        if (record == nullptr) {
            continue;
        }
        const DialogTemplate& dialogTemplate = *record->dialogTemplate;
        const int width = Columns(dialogTemplate.width) + 2;
        const int height = Rows(dialogTemplate.height) + 2;
        const int left = std::max(0, (columns - width) / 2);
        const int top = std::max(0, (rows - height) / 2);
        screen.Box(left, top, width, height, Shown(record->text, false));
        for (const WindowHandle child : record->children) {
            const DialogControl& control = *ControlOf(child);
            if ((control.style & kWsVisible) == 0 || control.kind == ControlKind::kIcon) {
                continue;
            }
            const int x = left + 1 + Columns(control.x);
            const int w = std::max(1, Columns(control.width));
            const std::u16string text = TextOf(child);
            if (control.kind == ControlKind::kButton) {
                const std::u32string label = U"[ " + Shown(text, true) + U" ]";
                const int row = top + 1 + (control.y + control.height / 2) / 8;
                const int column = x + std::max(0, (w - WidthOf(label)) / 2);
                screen.Put(column, row, label, child == m_focus[dialog.value]);
                continue;
            }
            const std::u32string shown = Shown(text, (control.style & kSsNoPrefix) == 0);
            const bool centredLine = (control.style & kSsCenterImage) != 0;
            const int row =
                top + 1 +
                (centredLine ? (control.y + control.height / 2) / 8 : (control.y + 4) / 8);
            const std::uint32_t type = control.style & kSsTypeMask;
            int column = x;
            if (type == kSsCenter) {
                column = x + std::max(0, (w - WidthOf(shown)) / 2);
            } else if (type == kSsRight) {
                column = x + std::max(0, w - WidthOf(shown));
            }
            screen.Put(column, row, shown, false, x + w - column);
        }
        if (m_menu && m_menu->dialog == dialog) {
            menuColumn = left + 1;
            menuRow = top + 1;
        }
    }
    if (m_menu) {
        const std::vector<MenuItem>* items = MenuItems(GetSystemMenu(m_menu->dialog, false));
        if (items != nullptr) {
            int width = 10;
            for (const MenuItem& item : *items) {
                width = std::max(width, WidthOf(Shown(item.text, true)) + 4);
            }
            const int height = static_cast<int>(items->size()) + 2;
            screen.Box(menuColumn, menuRow, width, height, U"");
            for (std::size_t i = 0; i < items->size(); ++i) {
                const int row = menuRow + 1 + static_cast<int>(i);
                const MenuItem& item = (*items)[i];
                if (item.separator) {
                    screen.Put(menuColumn + 1, row,
                               std::u32string(static_cast<std::size_t>(width - 2), U'-'));
                } else {
                    std::u32string line = U" " + Shown(item.text, true);
                    line.append(static_cast<std::size_t>(std::max(0, width - 2 - WidthOf(line))),
                                U' ');
                    screen.Put(menuColumn + 1, row, line, i == m_menu->selected);
                }
            }
        }
    }
    screen.Put(0, rows - 1,
               m_menu ? U" Up/Down, Enter: choose   Esc: close the menu"
                      : U" Esc: cancel   Enter: press the highlighted button   F10 or m: menu");
    Write(screen.Draw());
}

}  // namespace kelvane
