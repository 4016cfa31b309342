#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QDialog;
class QTimer;

// Answers modal windows a test does not drive itself: every dialog that shows is
// recorded (class name) and photographed; every few milliseconds the active modal
// dialog is handed to `handle` (default: closed with reject). Lives for one test.
class ModalCloser : public QObject {
public:
    explicit ModalCloser(std::function<void(QDialog*)> handle = {});
    ~ModalCloser() override;
    QStringList seen;  // class names, in the order they showed

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* timer_;
    std::function<void(QDialog*)> handle_;
};
