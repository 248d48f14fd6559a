#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

// The interface's language. The program's texts are written in Chinese; an English
// translation (compiled in) replaces them when the interface speaks English. In Chinese,
// Qt's own Chinese translation makes Qt's dialogs and buttons Chinese too.
class Languages {
public:
    enum class Language { Chinese, English };

    // The language for an override text and a locale: "zh" or "en" (any case) when the
    // override says so, else Chinese for a Chinese locale and English for any other.
    static Language choose(const QByteArray& override, const QLocale& locale);

    // The language for this process: the SHEETWEAVER_LANG environment variable and the
    // system locale, as choose() reads them.
    static Language forThisProcess();

    // Install the translators of `language` on the application, replacing those an earlier
    // call installed. Chinese: Qt's own "qtbase_zh_CN" from Qt's translations folder, else
    // from a "translations" folder beside the program, else from the installed
    // "../share/sheetweaver/translations"; English: the program's English texts.
    // Needs a QCoreApplication. Returns how many translators were installed (0 when a file
    // is missing: the texts then stay as written).
    static int install(Language language);

    // The compiled-in English translation's resource path.
    static QString englishResource();
};
