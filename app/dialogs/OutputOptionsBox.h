#pragma once
// The output options a copy is written with, as the Save Options dialog and
// the batch dialog show them: JPEG quality (the writer's default, the
// source's own, or a number), what of the metadata is kept, and whether a
// JPEG keeps its blocks outside the marks.
#include <QGroupBox>

#include "batch/options/RunSettings.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace stampora {

class OutputOptionsBox : public QGroupBox {
    Q_OBJECT

public:
    // `sourceQuality` labels the choice of the source's own quality.
    OutputOptionsBox(const QString& title, const QString& sourceQuality, QWidget* parent = nullptr);

    void Show(const OutputSettings& options);
    // Quality, metadata and lossless JPEG into `options`; the rest of it is
    // left as it is.
    void Read(OutputSettings& options) const;

private:
    QRadioButton* defaultQuality;
    QRadioButton* sourceQuality;
    QRadioButton* chosenQuality;
    QSpinBox* quality;
    QRadioButton* keepMetadata;
    QRadioButton* stripGps;
    QRadioButton* stripAll;
    QCheckBox* losslessJpeg;
};

}  // namespace stampora
