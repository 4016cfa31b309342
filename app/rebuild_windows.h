#pragma once

#include "data/dataset.h"

#include <QDialog>

class QAbstractButton;
class QLabel;
class QProgressBar;
class QPushButton;

// The pattern of both rebuild windows: a status line, a gauge, and "Reindex",
// "Cancel" and "Help"; while the rebuild runs only the gauge and the status show.
class RebuildWindow : public QDialog {
    Q_OBJECT
public:
    QPushButton* reindexButton() const { return reindex_; }
    QLabel* statusLabel() const { return status_; }
    QProgressBar* gauge() const { return gauge_; }
    // Runs the rebuild (what "Reindex" does) and closes the window.
    void Reindex();

protected:
    RebuildWindow(const QString& caption, int helpTopic, QWidget* parent);
    virtual void run() = 0;
    // Shows a step (when not empty) and the gauge, and lets the window repaint.
    void progress(const QString& step, int percent);

private:
    QLabel* status_;
    QProgressBar* gauge_;
    QPushButton* reindex_;
    QPushButton* cancel_;
    QPushButton* help_;
    QAbstractButton* mouseHelp_;
};

// "Rebuild indexes for <file>": packs the open address table and builds its 26 tags.
class TQVReindex : public RebuildWindow {
    Q_OBJECT
public:
    TQVReindex(qorvel::Dataset& table, QWidget* parent = nullptr);
    bool succeeded() const { return succeeded_; }

protected:
    void run() override;

private:
    qorvel::Dataset& table_;
    bool succeeded_ = false;
};

// "Rebuild System Indexes": packs each system table and builds its tag.
class TSystemReindex : public RebuildWindow {
    Q_OBJECT
public:
    explicit TSystemReindex(QWidget* parent = nullptr);

protected:
    void run() override;
};
