#pragma once

class QCoreApplication;

namespace tulvo {

// Loads Qt's own Russian texts, so the standard dialogs and buttons (file
// dialogs, Yes/No, the replace-file question) speak the program's language
// whatever the desktop's locale. Returns false when the translation is not
// installed; those texts then stay in English.
bool InstallQtTranslation(QCoreApplication& app);

}  // namespace tulvo
