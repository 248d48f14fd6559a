#include "app/languages.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QList>
#include <QTranslator>

namespace {

/* The translators installed by the last call, owned by the application. */
QList<QTranslator*>& installed() {
    static QList<QTranslator*> translators;
    return translators;
}

/* Load a translator from the first folder that has the file and install it. */
bool installFrom(const QString& name, const QStringList& folders) {
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(name, folder) && QCoreApplication::installTranslator(translator)) {
            installed() << translator;
            return true;
        }
        delete translator;
    }
    return false;
}

/* Remove and delete the translators of an earlier call. */
void removeInstalled() {
    for (QTranslator* translator : installed()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    installed().clear();
}

}  // namespace

/* Register the compiled-in translations once per process (outside any namespace, as
   Q_INIT_RESOURCE requires). */
static void loadTranslationResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(translations);
        return true;
    }();
    Q_UNUSED(loaded);
}

/* The override when it names a language, else the locale's language. */
Languages::Language Languages::choose(const QByteArray& override, const QLocale& locale) {
    const QByteArray wanted = override.trimmed().toLower();
    if (wanted == "zh") {
        return Language::Chinese;
    }
    if (wanted == "en") {
        return Language::English;
    }
    return locale.language() == QLocale::Chinese ? Language::Chinese : Language::English;
}

/* SHEETWEAVER_LANG and the system locale. */
Languages::Language Languages::forThisProcess() {
    return choose(qgetenv("SHEETWEAVER_LANG"), QLocale::system());
}

/* Qt's Chinese texts, or the program's English ones. */
int Languages::install(Language language) {
    removeInstalled();
    if (language == Language::English) {
        loadTranslationResources();
        return installFrom(englishResource(), {QString()}) ? 1 : 0;
    }
    // The Windows build carries Qt's Chinese texts among its resources: it is one file.
    loadTranslationResources();
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QStringList folders = {
        QStringLiteral(":/translations"), QLibraryInfo::location(QLibraryInfo::TranslationsPath),
        programFolder + QStringLiteral("/translations"),
        programFolder + QStringLiteral("/../share/sheetweaver/translations")};
    return installFrom(QStringLiteral("qtbase_zh_CN"), folders) ? 1 : 0;
}

/* Where the build puts the English translation among the resources. */
QString Languages::englishResource() {
    return QStringLiteral(":/translations/sheetweaver_en.qm");
}
