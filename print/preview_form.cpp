#include "preview_form.h"

#include "data/dialog_service.h"
#include "ui/help_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace qorvel::print {

namespace {

constexpr int kHelpTopic = 1074;

// The magnifying glass shown over the page; the hot spot is the lens's centre.
QCursor magnifyCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(29, 29));
    p.drawEllipse(QPointF(12, 12), 9, 9);
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(29, 29));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.end();
    return QCursor(pixmap, 12, 12);
}

}  // namespace

TPreviewForm::TPreviewForm(const QByteArray& stream, int initialZoom, QWidget* parent)
    : QDialog(parent), stream_(stream), initialZoom_(initialZoom) {
    setObjectName(QStringLiteral("TPreviewForm"));
    setSizeGripEnabled(true);
    resize(720, 600);
    auto* layout = new QVBoxLayout(this);
    toolbar_ = new QWidget(this);
    auto* tools = new QHBoxLayout(toolbar_);
    tools->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar_);

    QStyle* st = style();
    auto icon = [&](QToolButton* b, QStyle::StandardPixmap sp) {
        b->setIcon(st->standardIcon(sp));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    };
    icon(addTool(QStringLiteral("firstPage"), QStringLiteral("First Page"), QStringLiteral("First page (Home)")),
         QStyle::SP_MediaSkipBackward);
    icon(addTool(QStringLiteral("previousPage"), QStringLiteral("Previous Page"), QStringLiteral("Previous page (Page Up)")),
         QStyle::SP_MediaSeekBackward);
    icon(addTool(QStringLiteral("nextPage"), QStringLiteral("Next Page"), QStringLiteral("Next page (Page Down)")),
         QStyle::SP_MediaSeekForward);
    icon(addTool(QStringLiteral("lastPage"), QStringLiteral("Last Page"), QStringLiteral("Last page (End)")),
         QStyle::SP_MediaSkipForward);
    addTool(QStringLiteral("zoomIn"), QStringLiteral("Zoom &In"), QStringLiteral("Zoom in by 10% (+)"));
    addTool(QStringLiteral("zoomOut"), QStringLiteral("Zoom &Out"), QStringLiteral("Zoom out by 10% (-)"));
    addTool(QStringLiteral("pageWidth"), QStringLiteral("Page &Width"), QStringLiteral("Fit the page to the window's width"));
    addTool(QStringLiteral("wholePage"), QStringLiteral("W&hole Page"), QStringLiteral("Show the whole page"));
    addTool(QStringLiteral("zoom100"), QStringLiteral("100%"), QStringLiteral("Show the page at its real size"));
    tools->addStretch(1);
    addTool(QStringLiteral("ok"), QStringLiteral("Ok"), QStringLiteral("Close the preview"));
    addTool(QStringLiteral("help"), QStringLiteral("Help"), QStringLiteral("Help on the preview (F1)"));

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scroll"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    page_ = new QLabel(scroll_);
    page_->setObjectName(QStringLiteral("page"));
    page_->setCursor(magnifyCursor());
    page_->installEventFilter(this);
    scroll_->setWidget(page_);
    layout->addWidget(scroll_, 1);

    connect(tool("firstPage"), &QToolButton::clicked, this, [this] { turned(model_.first()); });
    connect(tool("previousPage"), &QToolButton::clicked, this, [this] { turned(model_.previous()); });
    connect(tool("nextPage"), &QToolButton::clicked, this, [this] { turned(model_.next()); });
    connect(tool("lastPage"), &QToolButton::clicked, this, [this] { turned(model_.last()); });
    connect(tool("zoomIn"), &QToolButton::clicked, this, [this] {
        model_.zoomIn();
        showPage();
    });
    connect(tool("zoomOut"), &QToolButton::clicked, this, [this] {
        model_.zoomOut();
        showPage();
    });
    connect(tool("pageWidth"), &QToolButton::clicked, this, [this] {
        model_.fitWidth(viewport(), dpi_);
        showPage();
    });
    connect(tool("wholePage"), &QToolButton::clicked, this, [this] {
        model_.fitPage(viewport(), dpi_);
        showPage();
    });
    connect(tool("zoom100"), &QToolButton::clicked, this, [this] {
        model_.setZoom(100);
        showPage();
    });
    connect(tool("ok"), &QToolButton::clicked, this, &QDialog::accept);
    connect(tool("help"), &QToolButton::clicked, this, [this] { showHelpTopic(kHelpTopic, this); });
}

QToolButton* TPreviewForm::addTool(const QString& name, const QString& text, const QString& tip) {
    auto* b = new QToolButton(toolbar_);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    toolbar_->layout()->addWidget(b);
    return b;
}

QToolButton* TPreviewForm::tool(const char* name) const {
    return toolbar_->findChild<QToolButton*>(QString::fromLatin1(name));
}

QSize TPreviewForm::viewport() const {
    // Leave room for the page's border and a vertical scroll bar.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return scroll_->viewport()->size() - QSize(bar + 8, 8);
}

void TPreviewForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        if (const QScreen* s = screen())
            dpi_ = s->logicalDotsPerInchX();
        startPlayback();
    }
}

void TPreviewForm::startPlayback() {
    if (!model_.open(stream_) || model_.pageCount() == 0) {
        dialogs().error(TFilePreview::kDrawError);
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    const bool several = model_.showsNavigation();
    for (const char* name : {"firstPage", "previousPage", "nextPage", "lastPage"})
        tool(name)->setVisible(several);
    model_.applyMode(initialZoom_, viewport(), dpi_);
    showPage();
}

void TPreviewForm::showPage() {
    const QImage image = model_.render(dpi_);
    if (image.isNull()) {
        page_->setPixmap(QPixmap());
        page_->resize(model_.pagePixels(dpi_));
        dialogs().error(TFilePreview::kDrawError);
    } else {
        page_->setPixmap(QPixmap::fromImage(image));
        page_->resize(image.size());
    }
    setWindowTitle(model_.caption());
    const int last = model_.pageCount() - 1;
    tool("firstPage")->setEnabled(model_.current() > 0);
    tool("previousPage")->setEnabled(model_.current() > 0);
    tool("nextPage")->setEnabled(model_.current() < last);
    tool("lastPage")->setEnabled(model_.current() < last);
    tool("zoomIn")->setEnabled(model_.zoom() < PreviewModel::kMaxZoom);
    tool("zoomOut")->setEnabled(model_.zoom() > PreviewModel::kMinZoom);
}

void TPreviewForm::turned(bool changed) {
    if (!changed)
        return;
    showPage();
    scroll_->verticalScrollBar()->setValue(0);  // a new page is read from its top
}

void TPreviewForm::zoomAround(QPointF at, bool in) {
    // Keep the spot that was clicked under the same place of the view.
    const QSizeF before = page_->size();
    const QPointF fraction(at.x() / std::max(1.0, before.width()), at.y() / std::max(1.0, before.height()));
    const QPoint inView = page_->mapTo(scroll_->viewport(), at.toPoint());
    in ? model_.zoomIn() : model_.zoomOut();
    showPage();
    scroll_->horizontalScrollBar()->setValue(int(fraction.x() * page_->width()) - inView.x());
    scroll_->verticalScrollBar()->setValue(int(fraction.y() * page_->height()) - inView.y());
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == page_ && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) {
            zoomAround(mouse->position(), mouse->button() == Qt::LeftButton);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPreviewForm::keyPressEvent(QKeyEvent* event) {
    QScrollBar* v = scroll_->verticalScrollBar();
    QScrollBar* h = scroll_->horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up: v->setValue(v->value() - v->singleStep()); return;
    case Qt::Key_Down: v->setValue(v->value() + v->singleStep()); return;
    case Qt::Key_Left: h->setValue(h->value() - h->singleStep()); return;
    case Qt::Key_Right: h->setValue(h->value() + h->singleStep()); return;
    case Qt::Key_PageUp: tool("previousPage")->click(); return;
    case Qt::Key_PageDown: tool("nextPage")->click(); return;
    case Qt::Key_Home: tool("firstPage")->click(); return;
    case Qt::Key_End: tool("lastPage")->click(); return;
    case Qt::Key_Plus: tool("zoomIn")->click(); return;
    case Qt::Key_Minus: tool("zoomOut")->click(); return;
    case Qt::Key_F1: tool("help")->click(); return;
    default: QDialog::keyPressEvent(event);
    }
}

}  // namespace qorvel::print
