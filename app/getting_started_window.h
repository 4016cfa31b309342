#pragma once

#include <QDialog>

class QCheckBox;

// "Getting Started": a short introduction, shown at start until switched off.
class TGettingStarted : public QDialog {
    Q_OBJECT
public:
    explicit TGettingStarted(QWidget* parent = nullptr);
    QCheckBox* dontShowBox() const { return dontShow_; }

protected:
    void done(int result) override;

private:
    QCheckBox* dontShow_;
};
