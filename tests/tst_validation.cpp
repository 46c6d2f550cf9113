// The input check on a waypoint's name and coordinates: text in, first failing message out.
#include "editing/WaypointValidation.h"

#include <QtTest>

class TestValidation : public QObject {
    Q_OBJECT
private slots:
    void firstFailingRuleIsReported_data();
    void firstFailingRuleIsReported();
    void trimRemovesBlanksAndControlsAtEndsOnly();
};

void TestValidation::firstFailingRuleIsReported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    QTest::addColumn<QString>("message");

    const QString lat = QStringLiteral("35.123456");
    const QString lon = QStringLiteral("139.123456");
    const QString ok;
    const QString nameLength = QStringLiteral("Input Length Error (Name)!");
    const QString nameChar = QStringLiteral("Input Char Error (Name)!");
    const QString latLength = QStringLiteral("Input Length Error (Latitude)!");
    const QString latChar = QStringLiteral("Input Char Error (Latitude)!");
    const QString latRange = QStringLiteral("Input Range Error (Latitude)!");
    const QString lonLength = QStringLiteral("Input Length Error (Longitude)!");
    const QString lonChar = QStringLiteral("Input Char Error (Longitude)!");
    const QString lonRange = QStringLiteral("Input Range Error (Longitude)!");
    auto row = [](const char* tag, const QString& name, const QString& la, const QString& lo,
                  const QString& message) { QTest::newRow(tag) << name << la << lo << message; };
    auto s = [](const char* text) { return QString::fromLatin1(text); };

    row("six letters", s("ABCDEF"), lat, lon, ok);
    row("seven letters", s("ABCDEFG"), lat, lon, nameLength);
    row("five letters and !", s("ABCDE!"), lat, lon, nameChar);
    row("six letters and ! is too long first", s("ABCDEF!"), lat, lon, nameLength);
    row("lower case, digits, inner space", s("ab 12c"), lat, lon, ok);
    row("blanks around four", s("  AB12 "), lat, lon, ok);
    row("six and a leading blank", s(" ABC123"), lat, lon, ok);
    row("six and a trailing blank", s("ABC123 "), lat, lon, ok);
    row("six between control characters", s("\tABC123\r\n"), lat, lon, ok);
    row("empty name", QString(), lat, lon, ok);
    row("character above 127", s("AB\xe9"), lat, lon, nameChar);
    row("hyphen", s("AB-1"), lat, lon, nameChar);
    row("inner control character",
        s("AB\x01"
          "C"),
        lat, lon, nameChar);

    row("latitude 90", ok, s("90"), lon, ok);
    row("latitude +90.000000", ok, s("+90.000000"), lon, ok);
    row("latitude -90.000000", ok, s("-90.000000"), lon, ok);
    row("latitude 90.000001", ok, s("90.000001"), lon, latRange);
    row("latitude -90.000001", ok, s("-90.000001"), lon, latRange);
    row("latitude 10 characters unsigned", ok, s("12.1234567"), lon, latLength);
    row("latitude 10 characters signed", ok, s("-12.123456"), lon, ok);
    row("latitude 11 characters signed", ok, s("-12.1234567"), lon, latLength);
    row("latitude comma", ok, s("12,5"), lon, latChar);
    row("latitude exponent", ok, s("1e5"), lon, latChar);
    row("latitude plus then minus", ok, s("+-5"), lon, latChar);
    row("latitude inner sign", ok, s("9-0"), lon, latChar);
    row("latitude in blanks", ok, s(" 45.5 "), lon, ok);
    row("latitude empty", ok, QString(), lon, ok);
    row("latitude lone sign", ok, s("-"), lon, ok);
    row("latitude lone point", ok, s("."), lon, ok);
    row("latitude two points", ok, s("12.3.4"), lon, ok);
    row("latitude counted up to the second point", ok, s("90.0.1"), lon, ok);
    row("latitude two points beyond range", ok, s("90.1.5"), lon, latRange);

    row("longitude -180.000000", ok, lat, s("-180.000000"), ok);
    row("longitude 180.000001", ok, lat, s("180.000001"), lonRange);
    row("longitude 12 characters signed", ok, lat, s("-179.1234567"), lonLength);
    row("longitude 11 characters unsigned", ok, lat, s("179.1234567"), lonLength);
    row("longitude ten digits", ok, lat, s("1234567890"), lonRange);
    row("longitude letter", ok, lat, s("12a"), lonChar);

    row("bad name before bad latitude", s("A-B"), s("91"), lon, nameChar);
    row("bad latitude before bad longitude", ok, s("91"), s("181"), latRange);
}

void TestValidation::firstFailingRuleIsReported() {
    QFETCH(QString, name);
    QFETCH(QString, lat);
    QFETCH(QString, lon);
    QFETCH(QString, message);
    QCOMPARE(ValidateWaypointInput(name, lat, lon), message);
}

void TestValidation::trimRemovesBlanksAndControlsAtEndsOnly() {
    QCOMPARE(TrimControl(QStringLiteral(" \t\r\nab 1\x1f ")), QStringLiteral("ab 1"));
    QCOMPARE(TrimControl(QStringLiteral(" \x01 ")), QString());
    QCOMPARE(TrimControl(QString::fromLatin1("\xa0"
                                             "A\xa0")),
             QString::fromLatin1("\xa0"
                                 "A\xa0"));
}

QTEST_GUILESS_MAIN(TestValidation)
#include "tst_validation.moc"
