// The link layer talking to the emulated interface through the in-process port, in simulated time: the
// connection at a high rate. The faults are in tst_faultmatrix.

#include <QTest>

#include "EmulatorLinkRig.h"

using namespace tk;
using namespace tk::test;

class TestEmulatorLink : public QObject {
    Q_OBJECT
private slots:
    // The emulated interface follows the connection: it goes over to the new rate and takes the resolution.
    void connectsAt115200() {
        EmulatorLinkRig rig;
        rig.model.settings.baudIndex = 5;
        rig.model.settings.resolution = 1;
        rig.link.ConnectInterface();
        QVERIFY(rig.view.online);
        QCOMPARE(rig.port.device().received(), QByteArray("i5bvbobcbobr"));
        QCOMPARE(rig.port.device().baudAt(rig.clock.seconds()), 115200);
        QCOMPARE(rig.port.device().acquisition().resolution(), 1);
    }
};

QTEST_GUILESS_MAIN(TestEmulatorLink)
#include "tst_emulator_link.moc"
