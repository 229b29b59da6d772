#pragma once

// The one settings window: made on first `show`, brought forward (centred
// on the pointer's screen) by every later one, forgotten when it closes so
// the next opening starts from the live configuration. Its title,
// "Orbel Settings", is how the rest of Orbel recognises it. GUI thread.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace orbel {

class ConfigManager;
class LoginItemManager;

class SettingsWindowController : public QObject {
    Q_OBJECT
public:
    SettingsWindowController(ConfigManager& config, LoginItemManager& loginItem, QObject* parent = nullptr);
    static SettingsWindowController& shared();

    void show();
    QWidget* window() const { return window_; }

    static constexpr int kMinimumWidth = 920;
    static constexpr int kMinimumHeight = 640;

private:
    QWidget* makeWindow();
    void present(QWidget* window);

    ConfigManager& config_;
    LoginItemManager& loginItem_;
    QPointer<QWidget> window_;
};

}  // namespace orbel
