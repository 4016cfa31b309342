#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QDialog;
class QTimer;

// Answers modal windows a test does not drive itself: every few milliseconds the
// active modal dialog is handed to `handle` (default: closed with reject) and its
// class name is recorded. Lives for one test.
class ModalCloser : public QObject {
public:
    explicit ModalCloser(std::function<void(QDialog*)> handle = {});
    QStringList seen;  // class names, in order

private:
    QTimer* timer_;
    std::function<void(QDialog*)> handle_;
};
