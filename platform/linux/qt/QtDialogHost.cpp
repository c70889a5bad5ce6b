#include "platform/linux/qt/QtDialogHost.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QWindow>

#include "res/icon_16.xpm"
#include "res/icon_32.xpm"

namespace kelvane {
namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A static text shows "&x" as x with an access key and "&&" as one "&"; QLabel would show both
// literally.
QString WithoutPrefixes(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
        }
        shown.append(text[i]);
    }
    return shown;
}

// The dialog's font: the template's face when the system has it, else a face that has the
// Traditional Chinese characters of the texts, at the template's size.
QFont DialogFont(const DialogTemplate& dialogTemplate) {
    QFont font;
    font.setFamilies({ToQString(dialogTemplate.fontFace), QStringLiteral("Noto Sans CJK TC"),
                      QStringLiteral("Noto Sans TC"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Droid Sans Fallback"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialogTemplate.fontPoints);
    return font;
}

// Dialog units to pixels as the Windows dialog manager converts them: a horizontal unit is a
// quarter of the font's average character width, a vertical one an eighth of its height.
struct DialogUnits {
    int baseX;
    int baseY;

    static DialogUnits Of(const QFont& font) {
        const QFontMetrics metrics(font);
        const int alphabet = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        return {std::max(1, (alphabet / 26 + 1) / 2), std::max(1, metrics.height())};
    }
    // MulDiv: rounded to the nearest pixel.
    static int Scale(int units, int base, int divisor) {
        const long long product = static_cast<long long>(units) * base;
        return static_cast<int>((2 * product + (product < 0 ? -divisor : divisor)) / (2 * divisor));
    }
    QRect ToPixels(int x, int y, int width, int height) const {
        return QRect(Scale(x, baseX, 4), Scale(y, baseY, 8), Scale(width, baseX, 4),
                     Scale(height, baseY, 8));
    }
};

}  // namespace

// The dialog window: its keys, close requests, context menu and painting go to the host.
class QtTemplateDialog final : public QDialog {
public:
    QtTemplateDialog(QtDialogHost& host, WindowHandle handle) : m_host(host), m_handle(handle) {}

    bool closing = false;  // the modal run is over: a close is no user's request

    // The dialog's keys, taken before the control with the focus sees them, as the dialog
    // manager takes them: a focused button would otherwise click on Alt+Space.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && HandleDialogKey(static_cast<QKeyEvent*>(event))) {
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!HandleDialogKey(event)) {
            // Not QDialog's handling: that would close the dialog on its own.
            QWidget::keyPressEvent(event);
        }
    }

    void closeEvent(QCloseEvent* event) override {
        if (closing) {
            event->accept();
            return;
        }
        // The close button and the window manager's close: SC_CLOSE, as the caption's button
        // sends it, so that the dialog decides.
        event->ignore();
        m_host.SystemCommand(m_handle, kScClose);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        m_host.ShowWindowMenu(m_handle, event->globalPos());
    }

    void paintEvent(QPaintEvent* event) override {
        if (!m_host.PaintDialog(m_handle)) {
            QDialog::paintEvent(event);
        }
    }

private:
    bool HandleDialogKey(QKeyEvent* event) {
        const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
        const int key = event->key();
        if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
            m_host.PressEscape(m_handle);
        } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
            m_host.PressEnter(m_handle);
        } else if (key == Qt::Key_F4 && modifiers == Qt::AltModifier) {
            m_host.SystemCommand(m_handle, kScClose);
        } else if ((key == Qt::Key_F10 && modifiers == Qt::ShiftModifier) ||
                   (key == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
                   (key == Qt::Key_Space && modifiers == Qt::AltModifier)) {
            m_host.ShowWindowMenu(m_handle, mapToGlobal(QPoint(0, 0)));
        } else {
            return false;
        }
        return true;
    }

    QtDialogHost& m_host;
    WindowHandle m_handle;
};

QtDialogHost::QtDialogHost() = default;

QtDialogHost::~QtDialogHost() = default;

QIcon QtDialogHost::ProgramIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap(kelvane_icon_32_xpm));
    icon.addPixmap(QPixmap(kelvane_icon_16_xpm));
    return icon;
}

void QtDialogHost::WatchDescriptor(int fd, std::function<void()> ready) {
    if (fd < 0) {
        return;
    }
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated,
                     [ready = std::move(ready)] { ready(); });
    m_watches.push_back(std::move(notifier));
}

QWidget* QtDialogHost::WidgetOf(WindowHandle window) const {
    const auto found = m_widgets.find(window.value);
    return found != m_widgets.end() ? found->second.data() : nullptr;
}

WindowHandle QtDialogHost::WindowOf(const QWidget* widget) const {
    for (const auto& [handle, shown] : m_widgets) {
        if (shown == widget) {
            return WindowHandle{handle};
        }
    }
    return WindowHandle::Null();
}

void QtDialogHost::Realise(WindowHandle dialog) {
    const Window* record = Find(dialog);
    const DialogTemplate& dialogTemplate = *record->dialogTemplate;
    auto* widget = new QtTemplateDialog(*this, dialog);
    widget->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    widget->setWindowModality(Qt::ApplicationModal);
    widget->setFont(DialogFont(dialogTemplate));
    const DialogUnits units = DialogUnits::Of(widget->font());
    // A modal frame without a sizing border: the size is the template's.
    widget->setFixedSize(units.ToPixels(0, 0, dialogTemplate.width, dialogTemplate.height).size());
    m_dialogs[dialog.value].dialog = widget;
    m_widgets[dialog.value] = widget;

    for (const WindowHandle child : record->children) {
        const DialogControl& control = *ControlOf(child);
        QRect geometry = units.ToPixels(control.x, control.y, control.width, control.height);
        QWidget* shown = nullptr;
        if (control.kind == ControlKind::kButton) {
            auto* button = new QPushButton(widget);
            // Enter is the dialog's: it sends the default button's command whatever has focus.
            button->setAutoDefault(false);
            const std::uint16_t id = static_cast<std::uint16_t>(control.id);
            QObject::connect(button, &QPushButton::clicked,
                             [this, dialog, id] { SendMessageW(dialog, kWmCommand, id, 0); });
            shown = button;
        } else if (control.kind == ControlKind::kIcon) {
            auto* label = new QLabel(widget);
            label->setPixmap(QPixmap(kelvane_icon_32_xpm));
            // An icon control takes the size of its icon.
            geometry.setSize(QSize(32, 32));
            shown = label;
        } else {
            auto* label = new QLabel(widget);
            label->setTextFormat(Qt::PlainText);
            const std::uint32_t type = control.style & kSsTypeMask;
            Qt::Alignment alignment = type == kSsCenter  ? Qt::AlignHCenter
                                      : type == kSsRight ? Qt::AlignRight
                                                         : Qt::AlignLeft;
            if ((control.style & kSsCenterImage) != 0) {
                alignment |= Qt::AlignVCenter;  // one line, centred vertically
            } else {
                alignment |= Qt::AlignTop;
                label->setWordWrap(true);
            }
            label->setAlignment(alignment);
            shown = label;
        }
        shown->setGeometry(geometry);
        shown->installEventFilter(widget);
        shown->setFocusPolicy((control.style & kWsTabStop) != 0 ? Qt::StrongFocus : Qt::NoFocus);
        shown->setEnabled((control.style & kWsDisabled) == 0);
        shown->setVisible((control.style & kWsVisible) != 0);
        if (control.id != -1) {
            shown->setObjectName(QStringLiteral("control%1").arg(control.id));
        }
        m_widgets[child.value] = shown;
        ShowText(child);
    }
    ShowText(dialog);

    const WindowHandle owner = OwnerOf(dialog);
    if (QWidget* ownerWidget = WidgetOf(owner)) {
        // Owned, not a child: a disabled owner must not disable its box with it.
        widget->winId();
        ownerWidget->winId();
        widget->windowHandle()->setTransientParent(ownerWidget->windowHandle());
    }
}

void QtDialogHost::RunModalLoop(WindowHandle dialog) {
    QtTemplateDialog* widget = m_dialogs[dialog.value].dialog;
    const QWidget* owner = WidgetOf(OwnerOf(dialog));
    QRect area = owner != nullptr ? owner->frameGeometry() : QRect();
    if (area.isEmpty() && QGuiApplication::primaryScreen() != nullptr) {
        area = QGuiApplication::primaryScreen()->availableGeometry();
    }
    if (!area.isEmpty()) {
        widget->move(area.center() - widget->rect().center());
    }
    widget->show();
    widget->raise();
    widget->activateWindow();
    // The first control that takes the focus gets it, as after a WM_INITDIALOG answered TRUE.
    for (const WindowHandle child : ChildrenOf(dialog)) {
        QWidget* control = WidgetOf(child);
        if (control != nullptr && control->isVisibleTo(widget) && control->isEnabled() &&
            control->focusPolicy() != Qt::NoFocus) {
            control->setFocus(Qt::TabFocusReason);
            break;
        }
    }
    if (!IsOpen(dialog)) {
        return;
    }
    QEventLoop loop;
    m_dialogs[dialog.value].loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_dialogs[dialog.value].loop = nullptr;
}

void QtDialogHost::QuitModalLoop(WindowHandle dialog) {
    const auto found = m_dialogs.find(dialog.value);
    if (found != m_dialogs.end() && found->second.loop != nullptr) {
        found->second.loop->exit(0);
    }
}

void QtDialogHost::Unrealise(WindowHandle dialog) {
    const auto found = m_dialogs.find(dialog.value);
    if (found == m_dialogs.end()) {
        return;
    }
    QPointer<QtTemplateDialog> widget = found->second.dialog;
    for (const WindowHandle child : ChildrenOf(dialog)) {
        m_widgets.erase(child.value);
    }
    m_widgets.erase(dialog.value);
    m_dialogs.erase(found);
    if (widget != nullptr) {
        widget->closing = true;
        widget->hide();
        // The run is over and none of the dialog's own events is being handled any more.
        delete widget.data();
    }
}

void QtDialogHost::ShowText(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return;
    }
    const QString text = ToQString(TextOf(window));
    const DialogControl* control = ControlOf(window);
    if (control == nullptr) {
        widget->setWindowTitle(text);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(text);  // a button reads "&" as Windows does
    } else if (auto* label = qobject_cast<QLabel*>(widget);
               label != nullptr && control->kind != ControlKind::kIcon) {
        label->setText((control->style & kSsNoPrefix) != 0 ? text : WithoutPrefixes(text));
    }
}

void QtDialogHost::TextChanged(WindowHandle window) {
    ShowText(window);
}

void QtDialogHost::EnabledChanged(WindowHandle window) {
    if (QWidget* widget = WidgetOf(window)) {
        widget->setEnabled(IsEnabled(window));
    }
}

void QtDialogHost::IconChanged(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return;
    }
    // Qt keeps one icon per window, in every size: the program's, when either slot holds it.
    const bool programIcon =
        IconOf(window, kIconBig) == kProgramIcon || IconOf(window, kIconSmall) == kProgramIcon;
    widget->setWindowIcon(programIcon ? ProgramIcon() : QIcon());
}

void QtDialogHost::DefaultSystemCommand(WindowHandle dialog, std::uint32_t command) {
    QWidget* widget = WidgetOf(dialog);
    if (widget == nullptr) {
        return;
    }
    if (command == kScMove && widget->windowHandle() != nullptr) {
        // Only where the window system lets a program start a move.
        widget->windowHandle()->startSystemMove();
    } else if (command == kScMinimize) {
        widget->showMinimized();
    } else if (command == kScRestore) {
        widget->showNormal();
    }
}

void QtDialogHost::ShowWindowMenu(WindowHandle dialog, QPoint globalPosition) {
    QWidget* widget = WidgetOf(dialog);
    const std::vector<MenuItem>* items = MenuItems(GetSystemMenu(dialog, false));
    if (widget == nullptr || items == nullptr || !IsOpen(dialog) || !IsEnabled(dialog)) {
        return;
    }
    auto* menu = new QMenu(widget);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuItem& item : *items) {
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(ToQString(item.text));
        const std::uint32_t id = item.id;
        QObject::connect(action, &QAction::triggered, widget, [this, dialog, id] {
            // After the menu has closed, as the window menu's command comes on Windows.
            QMetaObject::invokeMethod(
                qApp,
                [this, dialog, id] {
                    if (IsOpen(dialog)) {
                        SystemCommand(dialog, id);
                    }
                },
                Qt::QueuedConnection);
        });
    }
    menu->popup(globalPosition);
}

bool QtDialogHost::PaintDialog(WindowHandle dialog) {
    QWidget* previous = m_paintingNow;
    m_paintingNow = WidgetOf(dialog);
    std::intptr_t result = 0;
    const bool handled = Dispatch(dialog, kWmPaint, 0, 0, result);
    m_paintingNow = previous;
    return handled;
}

bool QtDialogHost::IsIconic(WindowHandle window) {
    const QWidget* widget = WidgetOf(window);
    return widget != nullptr && widget->isMinimized();
}

DeviceContext QtDialogHost::BeginPaint(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr || m_paint != nullptr) {
        return DeviceContext::Null();
    }
    auto paint = std::make_unique<OpenPaint>();
    paint->dc = DeviceContext{m_nextDc++};
    paint->window = window;
    if (widget == m_paintingNow) {
        paint->painter = std::make_unique<QPainter>(widget);
    } else {
        paint->offscreen = std::make_unique<QImage>(widget->size(), QImage::Format_ARGB32);
        paint->painter = std::make_unique<QPainter>(paint->offscreen.get());
    }
    m_paint = std::move(paint);
    return m_paint->dc;
}

void QtDialogHost::EndPaint(WindowHandle window, DeviceContext dc) {
    if (m_paint != nullptr && m_paint->dc == dc && m_paint->window == window) {
        m_paint->painter->end();
        m_paint.reset();
    }
}

void QtDialogHost::WmIconEraseBkgnd(WindowHandle window, DeviceContext dc) {
    QWidget* widget = WidgetOf(window);
    if (m_paint != nullptr && m_paint->dc == dc && widget != nullptr) {
        m_paint->painter->fillRect(widget->rect(), widget->palette().window());
    }
}

bool QtDialogHost::GetClientRect(WindowHandle window, RECT& rect) {
    const QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return false;
    }
    rect = RECT{0, 0, widget->width(), widget->height()};
    return true;
}

bool QtDialogHost::DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y, IconHandle icon) {
    if (m_paint == nullptr || m_paint->dc != dc || icon != kProgramIcon) {
        return false;
    }
    m_paint->painter->drawPixmap(x, y, QPixmap(kelvane_icon_32_xpm));
    return true;
}

}  // namespace kelvane
