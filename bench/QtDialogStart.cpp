// The reference of the start-to-launch benchmark: the least a Qt Widgets program does to show a
// dialog. It shows a QDialog and, when the dialog is first painted, writes CLOCK_MONOTONIC
// (nanoseconds) into the FIFO "stamp.fifo" of its working directory and quits.
//   --text  the dialog holds a line of text and a button, as any dialog that says something does;
//           without it the dialog is empty, and Qt never loads a font
//   --stay  it stays open instead of quitting, as the reference of the idle and memory figures
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>

#include "bench/StampFifo.h"

namespace {

using kelvane::bench::WriteStamp;

class ShownDialog final : public QDialog {
public:
    explicit ShownDialog(bool stay) : m_stay(stay) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (m_shown) {
            return;
        }
        m_shown = true;
        if (!WriteStamp()) {
            std::perror("stamp.fifo");
        }
        if (!m_stay) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    bool m_stay;
    bool m_shown = false;
};

}  // namespace

int main(int argc, char** argv) {
    bool stay = false;
    bool text = false;
    for (int index = 1; index < argc; ++index) {
        stay = stay || std::strcmp(argv[index], "--stay") == 0;
        text = text || std::strcmp(argv[index], "--text") == 0;
    }
    QApplication application(argc, argv);
    ShownDialog dialog(stay);
    if (text) {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Please plug in Lumo")));
        layout->addWidget(new QPushButton(QStringLiteral("Cancel")));
    }
    dialog.show();
    return QApplication::exec();
}
