// Opening the product set-up editor against quvane-sim on a pseudo-terminal at a serial line's
// speed: the time from asking for the editor to the populated window, against the time the
// read's bytes need on the line.
//   build/default/bench/editor_bench [RUNS] [BAUD]      defaults: 11 runs at 115200 baud
#include "app/frmUtility.h"
#include "policy/Prompter.h"
#include "setup_editor/frmSetup.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quvane;

namespace {

// Answers every dialog at once: the editor is closed as soon as it is shown.
class ClosingPrompter : public Prompter
{
public:
    MsgAnswer messageBox(const MessageBoxRequest &) override { return MsgAnswer::OK; }
    QString fileDialog(const FileDialogRequest &) override { return {}; }
    int showModal(QDialog &dialog) override
    {
        opened.push_back(clock.nsecsElapsed());
        return dialog.result();
    }
    QElapsedTimer clock;
    std::vector<qint64> opened;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 11;
    const int baud = argc > 2 ? std::atoi(argv[2]) : 115200;

    QProcess sim;
    sim.start(QStringLiteral(QUVANE_SIM_PATH), {"--pty", "--baud", QString::number(baud)});
    if (!sim.waitForReadyRead(5000))
        return 1;
    LinkOptions link;
    link.port = QString::fromLocal8Bit(sim.readLine()).trimmed().section(' ', -1);

    ClosingPrompter prompter;
    frmUtility window(prompter, link);
    window.Form_Load();
    std::vector<double> milliseconds;
    for (int i = 0; i < runs; ++i) {
        prompter.clock.start();
        window.showSetupEditor();
        milliseconds.push_back(static_cast<double>(prompter.opened.back()) / 1e6);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    // The read: "P", the index and 381 "0" out, the 4 + 2 + 2n + 381 character record back,
    // each with its three framing characters and CR; 8N1 is ten bits a byte.
    const double bytes = (1 + 4 + 381 + 4) + (4 + 2 + 2 * 18 + 381 + 4);
    const double line = bytes * 10.0 / baud * 1000.0;
    const double median = milliseconds[milliseconds.size() / 2];
    std::printf("set-up editor opened against quvane-sim --pty at %d baud, %d runs\n", baud, runs);
    std::printf("  time on the line for the read (at most): %.1f ms\n", line);
    std::printf("  median time to the populated window:     %.1f ms\n", median);
    std::printf("  added by the program:                    %.1f ms\n", median - line);
    sim.kill();
    sim.waitForFinished();
    return 0;
}
