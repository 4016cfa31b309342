#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "New Record": asks for the ZIP code (to look up city and state) and/or the last
// and first name (to check for duplicates) before a record is added.
class TGetFirstLastZip : public QDialog {
    Q_OBJECT
public:
    // The boxes shown follow the preferences; widths are the open table's.
    TGetFirstLastZip(bool askZip, bool askNames, int zipWidth, int lastWidth, int firstWidth,
                     QWidget* parent = nullptr);

    QString zip() const;
    QString lastName() const;
    QString firstName() const;
    QLineEdit* zipEdit() const { return zip_; }
    QLineEdit* lastEdit() const { return last_; }
    QLineEdit* firstEdit() const { return first_; }
    QPushButton* okButton() const { return ok_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* zip_;
    QLineEdit* last_;
    QLineEdit* first_;
    QPushButton* ok_;
    bool askZip_;
};
