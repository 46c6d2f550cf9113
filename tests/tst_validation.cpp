// The input check on a waypoint's name and coordinates: text in, first failing message out.
#include "editing/WaypointValidation.h"

#include <QtTest>

class TestValidation : public QObject {
    Q_OBJECT
private slots:
    void firstFailingRuleIsReported_data();
    void firstFailingRuleIsReported();
};

void TestValidation::firstFailingRuleIsReported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    QTest::addColumn<QString>("message");

    const QString lat = QStringLiteral("35.123456");
    const QString lon = QStringLiteral("139.123456");
    const QString ok;
    auto error = [](const char* rule, const char* field) {
        return QStringLiteral("Input %1 Error (%2)!")
            .arg(QLatin1String(rule), QLatin1String(field));
    };
    const QString nameLength = error("Length", "Name"), nameChar = error("Char", "Name");
    const QString latLength = error("Length", "Latitude"), latChar = error("Char", "Latitude");
    const QString latRange = error("Range", "Latitude"), lonRange = error("Range", "Longitude");
    const QString lonLength = error("Length", "Longitude"), lonChar = error("Char", "Longitude");
    auto row = [](const char* tag, const QString& name, const QString& la, const QString& lo,
                  const QString& message) { QTest::newRow(tag) << name << la << lo << message; };
    auto s = [](const char* text) { return QString::fromLatin1(text); };

    // Names are trimmed of blanks and control characters (code 32 or less) at both ends only.
    row("lower case, digits, inner space", s("ab 12c"), lat, lon, ok);
    row("seven letters", s("ABCDEFG"), lat, lon, nameLength);
    row("six letters and ! is too long first", s("ABCDEF!"), lat, lon, nameLength);
    row("six between blanks and control characters", s(" \t\x1f ABC123 \r\n"), lat, lon, ok);
    row("blank and control characters only", s(" \x01 "), lat, lon, ok);
    row("no-break space is no blank", s("\xa0Z\xa0"), lat, lon, nameChar);
    row("character above 127", s("AB\xe9"), lat, lon, nameChar);
    row("hyphen", s("AB-1"), lat, lon, nameChar);
    row("inner control character", s("A\x01 C"), lat, lon, nameChar);

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

QTEST_GUILESS_MAIN(TestValidation)
#include "tst_validation.moc"
