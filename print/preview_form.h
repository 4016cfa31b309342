#pragma once

#include "print/preview_model.h"

#include <QDialog>

class QLabel;
class QScrollArea;
class QToolButton;

namespace qorvel::print {

// The preview window: plays a recorded job back one page at a time, with page
// navigation, zoom buttons and a magnifier over the page (click: zoom in,
// right-click: zoom out). The caller sets the caption and owns the stream.
class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    // initialZoom: PreviewModel::kWholePage, kPageWidth, or a zoom percentage.
    TPreviewForm(const QByteArray& stream, int initialZoom, QWidget* parent = nullptr);

    PreviewModel& model() { return model_; }
    QToolButton* tool(const char* name) const;
    // The screen resolution pages are drawn at.
    double dpi() const { return dpi_; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* addTool(const QString& name, const QString& text, const QString& tip);
    void startPlayback();
    void showPage();
    void turned(bool changed);
    void zoomAround(QPointF at, bool in);
    QSize viewport() const;

    QByteArray stream_;
    int initialZoom_;
    PreviewModel model_;
    double dpi_ = 96;
    bool activated_ = false;
    QScrollArea* scroll_;
    QLabel* page_;
    QWidget* toolbar_;
};

}  // namespace qorvel::print
