#include "theme/Look.h"
#include "theme/QuillmereStyle.h"
#include "theme/Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

static void initResources() {
    Q_INIT_RESOURCE(corvane);
}
static void cleanupResources() {
    Q_CLEANUP_RESOURCE(corvane);
}

namespace {

// The required roles, one per line, so cases can count: brightText is line 15.
const QString kPalette = QStringLiteral(
    "[palette]\nwindow = #f0f0f0\nwindowText = #101010\nbase = #ffffff\nalternateBase = #f8f8f8\n"
    "text = #202020\nbutton = #e0e0e0\nbuttonText = #101010\nhighlight = #3060a0\n"
    "highlightedText = #ffffff\ntoolTipBase = #ffffe0\ntoolTipText = #000000\n"
    "placeholderText = #808080\nlink = #0000c0\nbrightText = #ffffff\n");

// WCAG contrast ratio, 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    auto lum = [](const QColor& c) {
        auto ch = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const double la = lum(a), lb = lum(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

} // namespace

class TestTheme : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initResources(); }
    void shippedThemeIsValidAndReadable();
    void parseFillsDefaultsAndDerivedColours();
    void parseRejects_data();
    void parseRejects();
    void rangeLimits_data();
    void rangeLimits();
    void loadSkipsUnusableFiles();
    void styleAppliesThemeMetrics();
    void installThemedWithoutThemeKeepsLook();
    void lookRoundTrip();
};

void TestTheme::shippedThemeIsValidAndReadable() {
    QString path = QStringLiteral(":/Default.theme");
#ifdef CORVANE_SOURCE_DIR
    if (!QFile::exists(path))
        path = QStringLiteral(CORVANE_SOURCE_DIR "/resources/Default.theme");
#endif
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    QString error;
    const auto theme = parseTheme(QString::fromUtf8(file.readAll()), &error);
    QVERIFY2(theme, qPrintable(error));

    using P = QPalette;
    const P& p = theme->palette;
    for (auto [fg, bg] : {std::pair{P::Text, P::Base},
                          {P::WindowText, P::Window},
                          {P::ButtonText, P::Button},
                          {P::HighlightedText, P::Highlight},
                          {P::PlaceholderText, P::Base}}) {
        QVERIFY2(contrast(p.color(fg), p.color(bg)) >= 4.5, qPrintable(QString::number(fg)));
        // Disabled text must look disabled, yet stay legible.
        if (fg != P::PlaceholderText) {
            const double c = contrast(p.color(P::Disabled, fg), p.color(P::Disabled, bg));
            QVERIFY2(c >= 2.5 && c <= 4.5, qPrintable(QString::number(fg)));
        }
    }
}

void TestTheme::parseFillsDefaultsAndDerivedColours() {
    QString error;
    auto theme = parseTheme("# comment\r\n\r\n" + kPalette, &error);
    QVERIFY2(theme, qPrintable(error));
    const QPalette& p = theme->palette;
    QCOMPARE(p.color(QPalette::Inactive, QPalette::Highlight), QColor(0x30, 0x60, 0xa0));
    const double active = contrast(p.color(QPalette::Text), p.color(QPalette::Base));
    const double faded = contrast(p.color(QPalette::Disabled, QPalette::Text),
                                  p.color(QPalette::Disabled, QPalette::Base));
    QVERIFY(faded < active / 2 && faded > 1.5);
    // No [font]: the application's own font must show through untouched.
    QCOMPARE(theme->font.resolveMask(), 0u);

    theme = parseTheme(kPalette + "disabled.text = #999999\nmid = #777777\n[font]\n"
                                  "family = Noto Sans, , DejaVu Sans\npointSize = 11\n"
                                  "[metrics]\n  layoutSpacing   =   3  \n",
                       &error);
    QVERIFY2(theme, qPrintable(error));
    QCOMPARE(theme->palette.color(QPalette::Disabled, QPalette::Text), QColor(0x99, 0x99, 0x99));
    QCOMPARE(theme->palette.color(QPalette::Mid), QColor(0x77, 0x77, 0x77));
    QCOMPARE(theme->font.families(), QStringList({"Noto Sans", "DejaVu Sans"}));
    QCOMPARE(theme->font.pointSize(), 11);
    QCOMPARE(theme->layoutSpacing, 3);
    QCOMPARE(theme->controlHeight, Theme().controlHeight);
}

void TestTheme::parseRejects_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("mentions");

    const QString p = kPalette;
    QTest::newRow("bad colour digit") << p + "linkVisited = #12345g\n" << 16 << "#12345g";
    QTest::newRow("comment after colour") << p + "linkVisited = #ffffff # white\n" << 16 << "white";
    QTest::newRow("unknown role") << p + "accent = #ffffff\n" << 16 << "accent";
    QTest::newRow("unknown disabled role") << p + "disabled.glow = #ffffff\n" << 16 << "glow";
    QTest::newRow("repeated role") << p + "window = #000000\n" << 16 << "window";
    QTest::newRow("repeated section") << p + "[palette]\n" << 16 << "palette";
    QTest::newRow("unknown section") << p + "\n[colours]\n" << 17 << "colours";
    QTest::newRow("key before section") << "# c\nwindow = #ffffff\n" + p << 2 << "window";
    QTest::newRow("missing '='") << p + "[font]\nfamily Noto Sans\n" << 17 << "=";
    QTest::newRow("missing value") << p + "[font]\nfamily =\n" << 17 << "family";
    QTest::newRow("word for number") << p + "[font]\npointSize = ten\n" << 17 << "ten";
    QTest::newRow("size out of range") << p + "[font]\npointSize = 200\n" << 17 << "200";
    QTest::newRow("negative metric") << p + "[metrics]\nlayoutSpacing = -4\n" << 17 << "-4";
    QTest::newRow("unknown metric") << p + "[metrics]\nrowHeight = 4\n" << 17 << "rowHeight";
    QTest::newRow("missing role") << "# c\n\n" + QString(p).remove("link = #0000c0\n") << 3
                                  << "link";
    QTest::newRow("no palette") << "[font]\npointSize = 10\n" << 2 << "palette";
}

void TestTheme::parseRejects() {
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, mentions);
    QString error;
    QVERIFY(!parseTheme(text, &error));
    QVERIFY2(error.startsWith(QStringLiteral("line %1: ").arg(line)) && error.contains(mentions),
             qPrintable(error));
}

void TestTheme::rangeLimits_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("accepted");
    struct Limit {
        const char* section;
        const char* key;
        int min;
        int max;
    };
    for (const Limit& l :
         {Limit{"font", "pointSize", 6, 48}, Limit{"metrics", "layoutSpacing", 0, 64},
          Limit{"metrics", "layoutMargin", 0, 64}, Limit{"metrics", "buttonPadding", 0, 64},
          Limit{"metrics", "controlHeight", 0, 128}}) {
        const QString line = QStringLiteral("[%1]\n%2 = %3\n").arg(l.section, l.key);
        QTest::addRow("%s %d", l.key, l.max) << line.arg(l.max) << true;
        QTest::addRow("%s %d", l.key, l.max + 1) << line.arg(l.max + 1) << false;
        QTest::addRow("%s %d", l.key, l.min) << line.arg(l.min) << true;
        if (l.min > 0)
            QTest::addRow("%s %d", l.key, l.min - 1) << line.arg(l.min - 1) << false;
    }
}

void TestTheme::rangeLimits() {
    QFETCH(QString, line);
    QFETCH(bool, accepted);
    QString error;
    const auto theme = parseTheme(kPalette + line, &error);
    QVERIFY2(bool(theme) == accepted, qPrintable(error));
    if (!accepted)
        QVERIFY2(error.startsWith("line 17: "), qPrintable(error));
}

void TestTheme::loadSkipsUnusableFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    writeFile(path("bad.theme"), kPalette.toUtf8() + "window = oops\n");
    // Valid themes, but too big to be a theme, or not text.
    writeFile(path("huge.theme"), kPalette.toUtf8() + QByteArray(70 * 1024, '#'));
    writeFile(path("binary.theme"), "# \xff\xfe\n" + kPalette.toUtf8());
    writeFile(path("good.theme"), kPalette.toUtf8());
    writeFile(path("later.theme"), QString(kPalette).replace("#f0f0f0", "#123456").toUtf8());
    QVERIFY(QDir(dir.path()).mkdir("folder.theme"));

    const QStringList unusable{path("missing.theme"), path("folder.theme"), path("bad.theme"),
                               path("huge.theme"), path("binary.theme")};
    for (const char* warning : {"folder\\.theme.*not a regular file", "bad\\.theme.*line 16",
                                "huge\\.theme", "binary\\.theme"})
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
    const auto theme = loadTheme(unusable + QStringList{path("good.theme"), path("later.theme")});
    QVERIFY(theme);
    QCOMPARE(theme->palette.color(QPalette::Window), QColor(0xf0, 0xf0, 0xf0));

    QTest::failOnWarning(QRegularExpression("missing")); // a missing file is no news
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bad\\.theme"));
    QVERIFY(!loadTheme({path("missing.theme"), path("bad.theme")}));
}

void TestTheme::styleAppliesThemeMetrics() {
    const QString metrics = kPalette + "[metrics]\nlayoutSpacing = 5\nlayoutMargin = 7\n"
                                       "controlHeight = 40\nbuttonPadding = ";
    const auto padded = parseTheme(metrics + "9\n"), tight = parseTheme(metrics + "0\n");
    QVERIFY(padded && tight);
    QuillmereStyle style(*padded), tightStyle(*tight);

    QWidget window;
    window.setStyle(&style);
    auto* layout = new QHBoxLayout(&window);
    QCOMPARE(layout->spacing(), 5);
    QCOMPARE(layout->contentsMargins(), QMargins(7, 7, 7, 7));

    // A label long enough that Fusion's minimum button width plays no part.
    QPushButton wide(QStringLiteral("Convert all waiting jobs")), narrow(wide.text());
    wide.setStyle(&style);
    narrow.setStyle(&tightStyle);
    QCOMPARE(wide.sizeHint().width() - narrow.sizeHint().width(), 2 * 9);
    QVERIFY(wide.sizeHint().height() >= 40);
    auto* edit = new QLineEdit(&window);
    edit->setStyle(&style);
    QVERIFY(edit->sizeHint().height() >= 40);

    // Fusion draws with our metrics in place: it must not fall over.
    auto* table = new QTableWidget(3, 4, &window);
    table->setStyle(&style);
    layout->addWidget(table);
    QVERIFY(!window.grab().isNull());
}

void TestTheme::installThemedWithoutThemeKeepsLook() {
    // Hide every place a theme could come from but one, which is broken.
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && QDir(dir.path()).mkdir("home"));
    writeFile(dir.filePath("Default.theme"), "[palette]\nwindow = #zzzzzz\n");
    const QByteArray oldHome = qgetenv("HOME");
    const QString oldCurrent = QDir::currentPath();
    cleanupResources();
    qputenv("HOME", QFile::encodeName(dir.filePath("home")));
    QDir::setCurrent(dir.path());
    const auto restore = qScopeGuard([&] {
        initResources();
        qputenv("HOME", oldHome);
        QDir::setCurrent(oldCurrent);
    });
    QVERIFY(!QFile::exists(QStringLiteral(":/Default.theme")));

    QStyle* const style = QApplication::style();
    const QPalette palette = QApplication::palette();
    const QFont font = QApplication::font();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Default\\.theme.*line 2"));
    QVERIFY(!Look::installThemed());
    QCOMPARE(QApplication::style(), style);
    QCOMPARE(QApplication::palette(), palette);
    QCOMPARE(QApplication::font(), font);
}

void TestTheme::lookRoundTrip() {
    Look::rememberSystemLook();
    QVERIFY(!Look::themedLookActive());
    const QString systemStyle = QApplication::style()->name();
    const QPalette systemPalette = QApplication::palette();
    const QFont systemFont = QApplication::font();
    const auto shipped = loadTheme({QStringLiteral(":/Default.theme")});
    QVERIFY(shipped);
    // A window open before the switch must follow it.
    QWidget window;
    auto* existing = new QLineEdit(&window);
    window.show();

    QVERIFY(Look::installThemed());
    QVERIFY(Look::installThemed());
    QVERIFY(Look::themedLookActive());
    QTRY_COMPARE(existing->palette().color(QPalette::Base), shipped->palette.color(QPalette::Base));
    QCOMPARE(QApplication::font().pointSize(), shipped->font.pointSize());
    // Asked again while themed, it must keep the look Qt chose, not ours.
    Look::rememberSystemLook();

    QVERIFY(Look::installSystem());
    QVERIFY(!Look::themedLookActive());
    QCOMPARE(QApplication::style()->name().toLower(), systemStyle.toLower());
    QCOMPARE(QApplication::palette(), systemPalette);
    QTRY_COMPARE(existing->palette().color(QPalette::Base), systemPalette.color(QPalette::Base));
    QCOMPARE(QApplication::font(), systemFont);
}

QTEST_MAIN(TestTheme)
#include "test_theme.moc"
