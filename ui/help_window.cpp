#include "help_window.h"

#include <QDialog>
#include <QFile>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qorvel {

namespace {

QString topicUrl(int topic) {
    const QString page = QStringLiteral(":/help/%1.html").arg(topic);
    return QFile::exists(page) ? page : QStringLiteral(":/help/%1.html").arg(kHelpContents);
}

class THelpWindow final : public QDialog {
public:
    explicit THelpWindow(QWidget* parent) : QDialog(parent) {
        setWindowTitle(QStringLiteral("Qorvel Help"));
        auto* layout = new QVBoxLayout(this);
        browser_ = new QTextBrowser(this);
        browser_->setSearchPaths({QStringLiteral(":/help")});
        layout->addWidget(browser_);
        resize(560, 480);
    }
    void show(int topic) { browser_->setSource(QUrl(QStringLiteral("qrc") + topicUrl(topic))); }

private:
    QTextBrowser* browser_;
};

}  // namespace

void showHelpTopic(int topic, QWidget* parent) {
    THelpWindow w(parent);
    w.show(topic);
    w.exec();
}

QAbstractButton* makeMouseHelpButton(QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(QStringLiteral("?"));
    b->setToolTip(QStringLiteral("Click here, then click a control to see what it does"));
    b->setWhatsThis(QStringLiteral("Click this button, then click any control to learn what it does."));
    QObject::connect(b, &QToolButton::clicked, [] { QWhatsThis::enterWhatsThisMode(); });
    return b;
}

}  // namespace qorvel
