#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/linux/TemplateDialogHost.h"

class QDialog;
class QEventLoop;
class QIcon;
class QImage;
class QPainter;
class QSocketNotifier;

namespace kelvane {

class QtTemplateDialog;

// The dialogs as Qt widgets: a QDialog per template, with its buttons and texts laid out from
// the dialog units of the template in the dialog's font, run modally in a QEventLoop of its own.
// The dialog manager's keys are kept: Escape, the close button and Alt+F4 cancel through the
// default processing, Enter sends the default button's command, and the window menu (right
// click, Shift+F10, the Menu key or Alt+Space) holds Move, Close and the items the program
// appended. Needs a QApplication.
class QtDialogHost final : public TemplateDialogHost {
public:
    QtDialogHost();
    ~QtDialogHost() override;
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    void WatchDescriptor(int fd, std::function<void()> ready) override;

    // The widget that shows a dialog or a control; null when there is none.
    QWidget* WidgetOf(WindowHandle window) const;
    // The window whose widget this is; null for a widget of no dialog.
    WindowHandle WindowOf(const QWidget* widget) const;
    // Opens the dialog's window menu at a position on the screen.
    void ShowWindowMenu(WindowHandle dialog, QPoint globalPosition);
    // The program's icon in both sizes.
    static QIcon ProgramIcon();

    bool IsIconic(WindowHandle window) override;
    DeviceContext BeginPaint(WindowHandle window) override;
    void EndPaint(WindowHandle window, DeviceContext dc) override;
    void WmIconEraseBkgnd(WindowHandle window, DeviceContext dc) override;
    bool GetClientRect(WindowHandle window, RECT& rect) override;
    bool DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y, IconHandle icon) override;

private:
    friend class QtTemplateDialog;

    struct Realised {
        QPointer<QtTemplateDialog> dialog;
        QEventLoop* loop = nullptr;
    };
    struct OpenPaint {
        DeviceContext dc;
        WindowHandle window;
        std::unique_ptr<QImage> offscreen;  // a paint outside a paint event draws nowhere
        std::unique_ptr<QPainter> painter;
    };

    void Realise(WindowHandle dialog) override;
    void RunModalLoop(WindowHandle dialog) override;
    void QuitModalLoop(WindowHandle dialog) override;
    void Unrealise(WindowHandle dialog) override;
    void TextChanged(WindowHandle window) override;
    void EnabledChanged(WindowHandle window) override;
    void IconChanged(WindowHandle window) override;
    void DefaultSystemCommand(WindowHandle dialog, std::uint32_t command) override;

    // A paint event of a dialog: WM_PAINT to its procedure; false when it left the painting
    // to the default.
    bool PaintDialog(WindowHandle dialog);
    void ShowText(WindowHandle window);

    std::map<std::uintptr_t, Realised> m_dialogs;
    std::map<std::uintptr_t, QPointer<QWidget>> m_widgets;
    std::vector<std::unique_ptr<QSocketNotifier>> m_watches;
    QWidget* m_paintingNow = nullptr;  // the widget whose paint event is running
    std::unique_ptr<OpenPaint> m_paint;
    std::uintptr_t m_nextDc = 0xDC0;
};

}  // namespace kelvane
