// How many of the loggers' datagrams a second the parsers take, real and hostile ones, and
// what one costs through the listener's socket on the loopback interface.
#include "station/feedlistener.h"
#include "station/loggerfeeds.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QUdpSocket>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kLookupInfo =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<lookupinfo>\r\n\t<app>N1MM</app>\r\n"
    "\t<contestname>VHF-REG1</contestname>\r\n\t<contestnr>12</contestnr>\r\n"
    "\t<timestamp>2024-05-04 14:10:05</timestamp>\r\n\t<mycall>Q1DE</mycall>\r\n"
    "\t<band>144</band>\r\n\t<rxfreq>14430000</rxfreq>\r\n\t<mode>SSB</mode>\r\n"
    "\t<call>Q1AB</call>\r\n\t<gridsquare></gridsquare>\r\n\t<exchange1></exchange1>\r\n"
    "\t<RoverLocation></RoverLocation>\r\n\t<IsOriginal>True</IsOriginal>\r\n"
    "\t<ID>f9ffac4fcd3e479ca86e137df1338531</ID>\r\n\t<IsClaimedQso>1</IsClaimedQso>\r\n"
    "</lookupinfo>\r\n";

// The most work a datagram can ask for: as many tags as are parsed at all, nested, in upper
// case and never closed, so the parser reads it twice, and text up to 64 KB.
QByteArray largestN1mm() {
    QByteArray xml = "<lookupinfo><call>Q1AB</call>";
    while (xml.size() < 3 * 997)
        xml += "<A>";
    return xml + QByteArray(station::kMaxDatagramSize - xml.size(), 'Q');
}

// Entities that would expand to a gigabyte.
QByteArray entityBomb() {
    QByteArray xml = "<?xml version=\"1.0\"?><!DOCTYPE lookupinfo [<!ENTITY e0 \"QQQQQQQQQQ\">";
    for (int i = 1; i < 10; ++i) {
        xml += "<!ENTITY e" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            xml += "&e" + QByteArray::number(i - 1) + ";";
        xml += "\">";
    }
    return xml + "]><lookupinfo><call>&e9;</call></lookupinfo>";
}

QByteArray wsjtxStatus() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_4);
    out << quint32(0xadbccbda) << quint32(3) << quint32(1) << QByteArray("WSJT-X")
        << quint64(144174000) << QByteArray("FT8") << QByteArray("Q1AB") << QByteArray("-12")
        << QByteArray("FT8") << true << false << true << quint32(1200) << quint32(1500)
        << QByteArray("Q1DE") << QByteArray("JN45") << QByteArray("JO60") << false << QByteArray()
        << false << quint8(2) << quint32(0xffffffff) << quint32(15) << QByteArray("Default")
        << QByteArray("Q1AB Q1DE JN45");
    return bytes;
}

// A Status whose DX call claims 2 GB.
QByteArray wsjtxHostileLength() {
    QByteArray bytes = wsjtxStatus();
    const char length[] = {'\x7f', '\xff', '\xff', '\xff'};
    return bytes.replace(37, 4, length, 4);
}

enum Datagram { LookupInfo, Largest, EntityBomb, Status, HostileLength };

QByteArray datagram(int which) {
    switch (Datagram(which)) {
    case LookupInfo:
        return kLookupInfo;
    case Largest:
        return largestN1mm();
    case EntityBomb:
        return entityBomb();
    case Status:
        return wsjtxStatus();
    case HostileLength:
        return wsjtxHostileLength();
    }
    return {};
}

void BM_Parse(benchmark::State& state) {
    const QByteArray bytes = datagram(int(state.range(0)));
    const bool wsjtx = state.range(0) >= Status;
    station::FeedParse parsed;
    for (auto _ : state) {
        parsed = wsjtx ? station::parseWsjtx(bytes) : station::parseN1mm(bytes);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.SetLabel(parsed.kind == station::FeedParse::Kind::Call
                       ? "call"
                       : qPrintable(u"malformed: "_s + parsed.reason));
}
BENCHMARK(BM_Parse)
    ->ArgName("datagram")
    ->Arg(LookupInfo)
    ->Arg(Largest)
    ->Arg(EntityBomb)
    ->Arg(Status)
    ->Arg(HostileLength)
    ->Unit(benchmark::kMicrosecond);

// Batches of N1MM lookups sent to the listener on 127.0.0.1, then read, parsed and counted:
// the time per datagram from the send to its count.
void BM_ListenerLoopback(benchmark::State& state) {
    constexpr int kBatch = 50; // well inside the socket's receive buffer
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    const quint16 port = probe.localPort();
    probe.close();
    station::FeedListener listener;
    if (!listener.listen({port, 0, u"127.0.0.1"_s}).isEmpty()) {
        state.SkipWithError("cannot listen");
        return;
    }
    QUdpSocket sender;
    quint64 expected = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i)
            sender.writeDatagram(kLookupInfo, QHostAddress::LocalHost, port);
        expected += kBatch;
        QElapsedTimer waited;
        waited.start();
        while (listener.counts().calls < expected && waited.elapsed() < 1000)
            QCoreApplication::processEvents();
        if (listener.counts().calls < expected) {
            state.SkipWithError("datagrams lost");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_ListenerLoopback)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
