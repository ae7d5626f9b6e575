// The Qt platform writes dates in the window's locale: the environment's, Russian where it
// names no language, and a month standing alone in its own form.
#include "app/qt/QtPlatform.h"
#include "period/Period.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tamblero;

namespace {

QString Titles(const CPeriod& p) {
    QStringList titles;
    for (const CPeriodColumn& c : p.Columns()) {
        titles << QString::fromStdU16String(c.m_strLabel);
    }
    return titles.join(u", ");
}

} // namespace

class QtPlatformTest final : public QObject {
    Q_OBJECT
private slots:
    void localeOfTheEnvironment_data();
    void localeOfTheEnvironment();
    void dates_data();
    void dates();
    void periodTexts_data();
    void periodTexts();
    void helperEnds_data();
    void helperEnds();
};

void QtPlatformTest::localeOfTheEnvironment_data() {
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcTime");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("locale");
    // Each row: the name the C library would pick wins, and a name without a language is
    // Russian.
    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << u"ru_RU"_qs;
    QTest::newRow("C") << QByteArray() << QByteArray() << QByteArray("C") << u"ru_RU"_qs;
    QTest::newRow("C.UTF-8") << QByteArray() << QByteArray() << QByteArray("C.UTF-8")
                             << u"ru_RU"_qs;
    QTest::newRow("POSIX over LANG")
        << QByteArray("POSIX") << QByteArray() << QByteArray("en_US.UTF-8") << u"ru_RU"_qs;
    QTest::newRow("unknown name") << QByteArray() << QByteArray() << QByteArray("xx_YY")
                                  << u"ru_RU"_qs;
    QTest::newRow("ru_RU") << QByteArray() << QByteArray() << QByteArray("ru_RU.UTF-8")
                           << u"ru_RU"_qs;
    QTest::newRow("en_US") << QByteArray() << QByteArray() << QByteArray("en_US.UTF-8")
                           << u"en_US"_qs;
    QTest::newRow("LC_TIME over LANG")
        << QByteArray() << QByteArray("de_DE.UTF-8") << QByteArray("C.UTF-8") << u"de_DE"_qs;
    QTest::newRow("empty LC_ALL is unset")
        << QByteArray("") << QByteArray("en_GB.UTF-8") << QByteArray("ru_RU.UTF-8") << u"en_GB"_qs;
}

void QtPlatformTest::localeOfTheEnvironment() {
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcTime);
    QFETCH(QByteArray, lang);
    QFETCH(QString, locale);
    const auto set = [](const char* name, const QByteArray& value) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    };
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_TIME"), qgetenv("LANG")};
    set("LC_ALL", lcAll);
    set("LC_TIME", lcTime);
    set("LANG", lang);
    const QString got = CQtPlatform().Locale().name();
    set("LC_ALL", saved[0]);
    set("LC_TIME", saved[1]);
    set("LANG", saved[2]);
    QCOMPARE(got, locale);
}

void QtPlatformTest::dates_data() {
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("text");
    // Each row: 5 May 2026 under a picture; Russian writes a month after a day in the
    // genitive and alone in the nominative, and C is Russian.
    QTest::newRow("ru alone") << u"ru_RU.UTF-8"_qs << u"LLL"_qs << u"май"_qs;
    QTest::newRow("ru alone with year") << u"ru_RU.UTF-8"_qs << u"LLL yyyy"_qs << u"май 2026"_qs;
    QTest::newRow("ru after a day") << u"ru_RU.UTF-8"_qs << u"d MMM yyyy"_qs << u"5 мая 2026"_qs;
    QTest::newRow("ru weekday") << u"ru_RU.UTF-8"_qs << u"d ddd"_qs << u"5 вт"_qs;
    QTest::newRow("C alone") << u"C"_qs << u"LLL yyyy"_qs << u"май 2026"_qs;
    QTest::newRow("C after a day") << u"C"_qs << u"d MMM yyyy"_qs << u"5 мая 2026"_qs;
    QTest::newRow("en alone") << u"en_US.UTF-8"_qs << u"LLL yyyy"_qs << u"May 2026"_qs;
    QTest::newRow("en after a day") << u"en_US.UTF-8"_qs << u"d MMM yyyy"_qs << u"5 May 2026"_qs;
    QTest::newRow("de alone") << u"de_DE.UTF-8"_qs << u"LLL"_qs << u"Mai"_qs;
}

void QtPlatformTest::dates() {
    QFETCH(QString, localeName);
    QFETCH(QString, picture);
    QFETCH(QString, text);
    const CQtPlatform platform(WindowLocale(localeName));
    QCOMPARE(
        QString::fromStdU16String(platform.FormatDate({2026, 5, 5, 2}, picture.toStdU16String())),
        text);
}

void QtPlatformTest::periodTexts_data() {
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("titles"); // empty: not checked
    QTest::addColumn<QString>("label");
    // Each row: the grid's headers and the period's label of May 2026, the year's headers
    // naming the months alone, under ru_RU and under C alike.
    for (const QString& name : {u"ru_RU.UTF-8"_qs, u"C"_qs}) {
        const QByteArray row = name.toUtf8();
        QTest::newRow((row + " year").constData())
            << name << int(periodYear)
            << u"янв., февр., март, апр., май, июнь, июль, авг., сент., окт., нояб., дек."_qs
            << u"2026"_qs;
        QTest::newRow((row + " month").constData())
            << name << int(periodMonth) << QString() << u"май 2026"_qs;
        QTest::newRow((row + " week").constData())
            << name << int(periodWeek) << u"4 пн, 5 вт, 6 ср, 7 чт, 8 пт, 9 сб, 10 вс"_qs
            << u"4 - 10 мая 2026"_qs;
    }
}

void QtPlatformTest::periodTexts() {
    QFETCH(QString, localeName);
    QFETCH(int, kind);
    QFETCH(QString, titles);
    QFETCH(QString, label);
    const CQtPlatform platform(WindowLocale(localeName));
    CPeriod period;
    period.Set(kind, DayNumberFromDate(2026, 5, 5), {}, platform);
    if (!titles.isEmpty()) {
        QCOMPARE(Titles(period), titles);
    }
    QCOMPARE(QString::fromStdU16String(period.m_strLabel), label);
}

void QtPlatformTest::helperEnds_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("end");
    QTest::addColumn<QByteArray>("output");
    // Each row: a helper's end, its output kept only where it exited, within the limits.
    QTest::newRow("exits") << u"printf 'T\\n'; exit 3"_qs << int(HelperEnd::Exited)
                           << QByteArray("T\n");
    QTest::newRow("crashes") << u"kill -SEGV $$"_qs << int(HelperEnd::Crashed) << QByteArray();
    QTest::newRow("hangs") << u"exec sleep 30"_qs << int(HelperEnd::TimedOut) << QByteArray();
    QTest::newRow("floods") << u"exec yes"_qs << int(HelperEnd::TooMuchOutput) << QByteArray();
    QTest::newRow("is not there") << QString() << int(HelperEnd::NotStarted) << QByteArray();
}

void QtPlatformTest::helperEnds() {
    QFETCH(QString, script);
    QFETCH(int, end);
    QFETCH(QByteArray, output);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"helper"_qs);
    if (!script.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script.toUtf8() + "\n");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    CQtPlatform platform;
    const HelperRun run = platform.RunHelper(path.toStdString(), {}, HelperLimits{2000, 1 << 20});
    QCOMPARE(int(run.end), end);
    QCOMPARE(QByteArray::fromStdString(run.output), output);
    if (run.end == HelperEnd::Exited) {
        QCOMPARE(run.exitCode, 3);
    }
}

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
