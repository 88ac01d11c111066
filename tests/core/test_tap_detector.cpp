#include "TapDetector.h"

#include <QTest>

// Reports: "d0.3" the key goes down at 0.3, "u0.4" up, "D"/"U" the same with another modifier
// held, "c" a cancel. After " = ", one answer digit per report (cancels excluded).
class TestTapDetector : public QObject {
    Q_OBJECT

private slots:
    void sequences_data() {
        QTest::addColumn<QString>("sequence");
        // clang-format off
        QTest::newRow("gap and hold exactly at the limits") << "d0 u0.05 d0.5 u0.85 = 0001";
        QTest::newRow("hold of 0.36 is not a tap") << "d0 u0.36 d0.4 u0.5 = 0000";
        QTest::newRow("long second hold drops everything") << "d0 u0.1 d0.2 u0.56 d0.6 u0.7 = 000000";
        QTest::newRow("gap too long: new first tap") << "d0 u0.05 d0.51 u0.6 d0.8 u0.9 = 000001";
        QTest::newRow("chord drops the pending tap") << "d0 u0.1 D0.2 U0.25 d0.3 u0.4 = 000000";
        QTest::newRow("chord, key still down") << "d0 D0.05 d0.1 u0.15 d0.2 u0.3 = 000000";
        QTest::newRow("other modifier up while armed") << "d0 u0.1 U0.15 d0.2 u0.3 d0.4 u0.5 = 0000001";
        QTest::newRow("cancel in the second press") << "d0 u0.1 d0.2 c u0.3 d0.4 u0.5 = 000000";
        QTest::newRow("repeated downs and ups") << "u0 u0.01 d0.1 d0.15 d0.2 u0.3 u0.31 d0.4 d0.45 u0.5 u0.55 = 00000000010";
        QTest::newRow("four taps: two answers") << "d0 u0.1 d0.2 u0.3 d0.4 u0.5 d0.6 u0.7 = 00010001";
        QTest::newRow("NaN time never completes a tap") << "d0 u0.1 dnan u0.3 d0.4 u0.5 = 000000";
        // clang-format on
    }
    void sequences() {
        QFETCH(QString, sequence);
        TapDetector detector;
        QString got;
        for (const QString& report : sequence.section(" = ", 0, 0).split(u' ')) {
            if (report == "c")
                detector.cancel();
            else
                got += QString::number(detector.flagsChanged(report.at(0).toLower() == u'd',
                                                             report.at(0).isUpper(),
                                                             report.mid(1).toDouble()));
        }
        QCOMPARE(got, sequence.section(" = ", 1));
    }
};

QTEST_GUILESS_MAIN(TestTapDetector)
#include "test_tap_detector.moc"
