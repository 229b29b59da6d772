#include "profiles/backup_file_panels.h"

#include <QFileDialog>

#include "ui/sheet_opener.h"

namespace orbel {

namespace {

const QString kFilter = QStringLiteral("Orbel backups (*.orbelbackup)");

class DialogPanels : public BackupFilePanels {
public:
    void chooseSaveLocation(QWidget* parent, const std::string& fileName, Done done) override {
        auto* dialog = makeDialog(parent, QStringLiteral("Back Up Orbel"), QFileDialog::AcceptSave);
        dialog->setDefaultSuffix(QStringLiteral("orbelbackup"));
        dialog->selectFile(QString::fromStdString(fileName));
        run(dialog, std::move(done));
    }
    void chooseBackup(QWidget* parent, Done done) override {
        auto* dialog = makeDialog(parent, QStringLiteral("Restore Orbel Backup"), QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        run(dialog, std::move(done));
    }

private:
    static QFileDialog* makeDialog(QWidget* parent, const QString& title, QFileDialog::AcceptMode mode) {
        auto* dialog = new QFileDialog(parent, title);
        dialog->setAcceptMode(mode);
        dialog->setNameFilter(kFilter);
        return dialog;
    }
    static void run(QFileDialog* dialog, Done done) {
        QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
            const QStringList files = dialog->selectedFiles();
            if (result == QDialog::Accepted && !files.isEmpty()) done(files.front().toStdString());
            else done(std::nullopt);
        });
        ui::openSheet(dialog);
    }
};

}  // namespace

BackupFilePanels& BackupFilePanels::system() {
    static DialogPanels panels;
    return panels;
}

}  // namespace orbel
