// A Qt plugin the end-to-end tests load into the built program through Qt's own variables
// (QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS=widgetprobe), so that the program needs no test
// switch of its own. Once the first dialog is on screen it writes what a user sees there to the
// file WIDGET_PROBE_REPORT names, then acts as a user would, one step of WIDGET_PROBE_STEPS at a
// time: "escape" and "enter" press those keys, "close" closes the window as its close button and
// the window manager's Alt+F4 do, "menu" presses Shift+F10 and reports the window menu's items,
// "report" writes the dialog again.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kStepPauseMs = 300;

class WidgetProbe final : public QObject {
public:
    WidgetProbe()
        : m_report(qEnvironmentVariable("WIDGET_PROBE_REPORT")),
          m_steps(qEnvironmentVariable("WIDGET_PROBE_STEPS").split(u',', Qt::SkipEmptyParts)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!m_started && dialog != nullptr && event->type() == QEvent::Show) {
            m_started = true;
            // Shown is not yet laid out and painted: the user sees it a moment later.
            QTimer::singleShot(kStepPauseMs, this, [this, shown = QPointer<QDialog>(dialog)] {
                NextStep(shown, true);
            });
        }
        return false;
    }

private:
    void Write(const QString& line) {
        QFile file(m_report);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            file.write((line + u'\n').toUtf8());
        }
    }

    void Report(const QDialog* dialog) {
        Write(QStringLiteral("caption|%1").arg(dialog->windowTitle()));
        for (const QWidget* child : dialog->findChildren<QWidget*>()) {
            QString text;
            if (const auto* label = qobject_cast<const QLabel*>(child)) {
                text = label->text();
            } else if (const auto* button = qobject_cast<const QPushButton*>(child)) {
                text = button->text();
            } else {
                continue;
            }
            Write(QStringLiteral("%1|%2|%3")
                      .arg(child->objectName(),
                           child->isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"),
                           text));
        }
    }

    static void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
    }

    // A dialog that has gone (the program ends with it) takes no more steps.
    void NextStep(const QPointer<QDialog>& dialog, bool first = false) {
        if (dialog.isNull()) {
            return;
        }
        if (first) {
            Report(dialog);
        }
        if (m_steps.isEmpty()) {
            return;
        }
        const QString step = m_steps.takeFirst();
        Write(QStringLiteral("step|%1").arg(step));
        QWidget* focused = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog.data();
        if (step == u"escape") {
            Press(focused, Qt::Key_Escape, Qt::NoModifier);
        } else if (step == u"enter") {
            Press(focused, Qt::Key_Return, Qt::NoModifier);
        } else if (step == u"close") {
            dialog->close();
        } else if (step == u"report") {
            Report(dialog);
        } else if (step == u"menu") {
            // The menu runs its own loop: read it once it is up, then dismiss it.
            QTimer::singleShot(kStepPauseMs, this, [this] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    QStringList items;
                    for (const QAction* action : menu->actions()) {
                        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
                    }
                    Write(QStringLiteral("menu|%1").arg(items.join(u'|')));
                    menu->close();
                } else {
                    Write(QStringLiteral("menu|none"));
                }
            });
            Press(focused, Qt::Key_F10, Qt::ShiftModifier);
        }
        QTimer::singleShot(2 * kStepPauseMs, this, [this, dialog] { NextStep(dialog); });
    }

    QString m_report;
    QStringList m_steps;
    bool m_started = false;
};

class WidgetProbePlugin final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "WidgetProbe.json")

public:
    QObject* create(const QString& key, const QString& /*parameters*/) override {
        return key.compare(u"widgetprobe", Qt::CaseInsensitive) == 0 ? new WidgetProbe : nullptr;
    }
};

}  // namespace

#include "WidgetProbe.moc"
