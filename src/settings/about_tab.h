#pragma once

// The About tab: icon, name and version, one line on what Orbel is, the
// acknowledgements sheet (the bundled icon packs, sorted by name) and the
// product site's links.

#include <QDialog>
#include <QPointer>
#include <QScrollArea>
#include <vector>

#include "model/icon_pack_records.h"

class QLabel;

namespace orbel {

// The application's icon, `size` points square, else the grid symbol.
QLabel* appIconLabel(int size, QWidget* parent);

class AcknowledgementsDialog : public QDialog {
public:
    AcknowledgementsDialog(const std::vector<IconPackManifestEntry>& manifest, QWidget* parent = nullptr);
};

class AboutTab : public QScrollArea {
public:
    explicit AboutTab(QWidget* parent = nullptr);
    // The open acknowledgements sheet, if any.
    AcknowledgementsDialog* acknowledgements() const { return acknowledgements_; }
    void showAcknowledgements();

private:
    QPointer<AcknowledgementsDialog> acknowledgements_;
};

}  // namespace orbel
