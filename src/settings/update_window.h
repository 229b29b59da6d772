#pragma once

// The window that follows an update check: its progress, then "Orbel is up
// to date", the newer release with its address, or why the check failed.
// One at a time; built when shown and destroyed when closed. Texts come from
// `UpdateChecker::windowText`. GUI thread.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace orbel {

class UpdateChecker;

class UpdateWindow : public QDialog {
    Q_OBJECT
public:
    explicit UpdateWindow(UpdateChecker& checker, QWidget* parent = nullptr);

    // Shows (or raises) the window over `checker`: the dialog of the active
    // window, or, for an `automatic` check, a window of its own.
    static UpdateWindow* present(UpdateChecker& checker, bool automatic = false);
    // The window now open, if any.
    static UpdateWindow* current();
    // Opens the window whenever the user asks `checker` for a check, and
    // when an automatic check finds a newer release.
    static void follow(UpdateChecker& checker);

private:
    static constexpr int kTextWidth = 348;
    void refresh();
    void primary();
    void openRelease();

    UpdateChecker& checker_;
    QLabel* title_;
    QLabel* detail_;
    QLabel* link_;
    QProgressBar* progress_;
    QPushButton* secondary_;
    QPushButton* primary_;
};

}  // namespace orbel
