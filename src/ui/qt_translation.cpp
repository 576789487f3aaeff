#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>
#include <cstdlib>
#include <string>

namespace tulvo {
namespace {

constexpr const char* kRussian = "ru_RU.UTF-8";

// Texts that Qt's Russian translation lacks (their context was renamed
// after it was made); the file dialog shows them in its type column.
class MissingTextsTranslator : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        (void)disambiguation;
        (void)n;
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return {};
        }
        static const struct {
            const char* source;
            const char* russian;
        } kTexts[] = {
            {"Folder", "Папка"},    {"Drive", "Диск"},  {"File", "Файл"},
            {"%1 File", "Файл %1"}, {"Alias", "Ярлык"}, {"Shortcut", "Ярлык"},
        };
        for (const auto& text : kTexts) {
            if (qstrcmp(sourceText, text.source) == 0) {
                return QString::fromUtf8(text.russian);
            }
        }
        return {};
    }

    bool isEmpty() const override { return false; }
};

}  // namespace

void PreferRussianLocale() {
    // The C library takes the desktop's locale now, as Qt would; when Qt
    // asks again below and the Russian locale is not installed, the request
    // fails and leaves this one in place.
    std::setlocale(LC_ALL, "");
    // LC_ALL would hide the two categories set below: it is spread over
    // every category instead.
    if (const char* all = std::getenv("LC_ALL"); all != nullptr && *all != '\0') {
        const std::string value = all;
        for (const char* category :
             {"LC_CTYPE", "LC_NUMERIC", "LC_COLLATE", "LC_MONETARY", "LC_PAPER", "LC_NAME",
              "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"}) {
            setenv(category, value.c_str(), 1);
        }
        unsetenv("LC_ALL");
    }
    setenv("LC_MESSAGES", kRussian, 1);
    setenv("LC_TIME", kRussian, 1);
}

bool InstallQtTranslation(QCoreApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QCoreApplication::installTranslator(new MissingTextsTranslator(&app));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

}  // namespace tulvo
