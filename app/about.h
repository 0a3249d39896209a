// The window title and the About box.
#pragma once

#include <QString>

constexpr int cipherOffset = 5; // added to every UTF-16 code unit of a stored text

// The shown form of a stored text: every code unit cipherOffset lower, same length.
QString DecipherText(const QString &stored);

QString TitleCipher(); // the stored window title
QString AboutCipher(); // the stored About text

// A modal box over the main window: empty title, the About text, one OK button, no icon.
void ShowAbout();
