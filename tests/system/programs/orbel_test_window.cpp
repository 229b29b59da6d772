// A window with one line edit, for typing tests. Usage:
//   orbel_test_window TITLE [--minimized] [--detached]
// Prints "ready" once the line edit has the keyboard focus, then "text:<t>"
// (UTF-8) after each change. Quits when standard input closes, or with
// --detached (started by a launcher, no input) when it is terminated.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "program_io.h"


int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QWidget window;
    window.setWindowTitle(args.value(1, QStringLiteral("Orbel Test Window")));
    auto* edit = new QLineEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    window.resize(400, 80);
    QObject::connect(edit, &QLineEdit::textChanged, [](const QString& t) { say("text:" + t.toUtf8()); });

    quitWhenInputCloses(app)->setEnabled(!args.contains(QStringLiteral("--detached")));

    if (args.contains(QStringLiteral("--minimized"))) {
        window.showMinimized();
        QTimer::singleShot(300, [] { say("ready"); });
    } else {
        window.show();
        window.raise();
        window.activateWindow();
        edit->setFocus();
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, [&window, edit, poll] {
            if (!window.isActiveWindow()) {
                window.activateWindow();
                return;
            }
            if (!edit->hasFocus()) edit->setFocus();
            poll->stop();
            say("ready");
        });
        poll->start(50);
    }
    return app.exec();
}
