#pragma once

class QCoreApplication;

namespace tulvo {

// Makes Qt format sizes and dates in Russian in its own dialogs (the file
// dialog's size and date columns), whatever the desktop's locale. Call it
// before the application object exists: Qt reads the locale's name from the
// environment once. Everything else (numbers, character set, collation)
// keeps the desktop's settings.
void PreferRussianLocale();

// Loads Qt's own Russian texts, so the standard dialogs and buttons (file
// dialogs, Yes/No, the replace-file question) speak the program's language
// whatever the desktop's locale, and makes Russian the default locale of
// every widget. Returns false when the translation is not installed; those
// texts then stay in English.
bool InstallQtTranslation(QCoreApplication& app);

}  // namespace tulvo
