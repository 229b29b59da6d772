#pragma once

// Watches the program's windows and recognises the settings window by its
// title: while it is open the dial is kept closed (it closes the moment the
// settings window becomes active), and when it closes the program goes back
// to living in the tray alone (closing it never ends the program). One
// instance for the program, configured once at launch. GUI thread.

#include <QObject>
#include <QString>
#include <functional>

namespace orbel::dial {

class AppLifecycleManager : public QObject {
    Q_OBJECT

public:
    // `hideDial` closes the program's dial (when shown).
    explicit AppLifecycleManager(std::function<void()> hideDial, QObject* parent = nullptr);

    bool isSettingsWindowOpen() const { return settingsWindowOpen_; }
    bool isConfigured() const { return configured_; }
    // Starts watching the windows; later calls do nothing.
    void configure();

    // A title of the settings window: it holds "settings" or "preferences",
    // in any letter case.
    static bool isSettingsWindow(const QString& title);

Q_SIGNALS:
    void settingsWindowOpenChanged(bool open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setOpen(bool open);

    std::function<void()> hideDial_;
    bool settingsWindowOpen_ = false;
    bool configured_ = false;
};

}  // namespace orbel::dial
