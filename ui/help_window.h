#pragma once

class QWidget;
class QAbstractButton;

namespace qorvel {

// Help topics are HTML pages compiled into the program (":/help/<number>.html").
// Shows the topic, or the contents when that topic has no page.
void showHelpTopic(int topic, QWidget* parent = nullptr);
inline constexpr int kHelpContents = 1000;

// The mouse-help button: pressing it turns the pointer into "What's this?" mode.
QAbstractButton* makeMouseHelpButton(QWidget* parent);

}  // namespace qorvel
