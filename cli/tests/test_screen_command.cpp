// `pravik screen` run in the process: the chain's column forms, each filter at its boundary, the
// ranking, the counts, and the same result for any number of jobs.
#include "calc/plain_numbers.h"
#include "cli/chain_screen.h"
#include "cli/tests/pravik_run.h"
#include "pricing/black_scholes_merton.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

using pravik_run::Run;
using pravik_run::runPravik;

namespace {

// Two calls of 91 days on ACME at 28.50 and one of 28 days, a put and an expired call: the
// default rank (static return per year) puts the short call first.
const QByteArray brokerA = "Symbol,Exp Date,Strike Price,Type,Bid Price,Ask Price,Volume,"
                           "Open Int,IV,Stock Price\n"
                           "ACME,2027-03-19,30,call,1.25,1.30,300,1500,30.6,28.50\n"
                           "ACME,2027-03-19,32,call,0.55,0.60,50,400,29.9,28.50\n"
                           "ACME,2027-03-19,30,put,2.40,2.50,10,100,31.0,28.50\n"
                           "ACME,2026-12-18,30,call,0.10,0.20,10,100,31.0,28.50\n"
                           "ACME,2027-01-15,30,call,0.60,0.65,500,2500,30.0,28.50\n";

// Symbol, expiry, strike, price and rank of each call shown, from --csv --plain.
QStringList shown(const QString& csv) {
    QStringList calls;
    const QStringList lines = csv.split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split(u',');
        calls.push_back(QStringList{fields.mid(0, 4)}.join(u' ') + u' ' + fields.last());
    }
    return calls;
}

} // namespace

class TestScreenCommand : public QObject {
    Q_OBJECT

private slots:
    void screens_data();
    void screens();
    void writesEachForm_data();
    void writesEachForm();
    void sameForAnyJobs();
    void windowsScreenIsTheCommands();
    void modelFormedForShownCalls_data();
    void modelFormedForShownCalls();
};

void TestScreenCommand::screens_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("chain");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("summary");

    const QStringList base{"screen", "--as-of", "2026-12-18", "--csv", "--plain"};
    const auto row = [&](const char* name, const QStringList& more, const QByteArray& chain,
                         int status, const QStringList& calls, const char* summary) {
        QTest::newRow(name) << base + more << chain << status << calls
                            << QString::fromLatin1(summary);
    };
    const char* allRead = "3 calls read, 1 puts skipped, 1 expired, 0 refused, 3 kept by the "
                          "filters, 3 shown";
    row("a broker's captions: puts and expired calls counted", {}, brokerA, 0,
        {"ACME 2027-01-15 30 0.6 1", "ACME 2027-03-19 30 1.25 2", "ACME 2027-03-19 32 0.55 3"},
        allRead);
    row("another broker's captions, the share price by --current-price",
        {"--current-price", "28.50", "--top", "1"},
        "Expiration,Strike,Bid,Ask,Call/Put\n3/19/2027,30,1.25,1.30,C\n"
        "3/19/2027,32,0.55,0.60,Call\n",
        0, {" 2027-03-19 30 1.25 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 2 kept by the filters, 1 shown");
    row("the share price from the quotes file", {"--quotes", "{quotes}"},
        "symbol,expiry,strike,bid,ask\nACME,2027-03-19,30,1.25,1.30\n", 0,
        {"ACME 2027-03-19 30 1.25 1"},
        "1 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("each symbol's price from the quotes file, the symbols interleaved",
        {"--quotes", "{quotes}", "--otm-only"},
        "symbol,expiry,strike,bid,ask\nACME,2027-03-19,30,1.25,1.30\n"
        "ZORB,2027-03-19,30,10.00,10.10\nACME,2027-03-19,31,1.00,1.10\n",
        0, {"ACME 2027-03-19 30 1.25 1", "ACME 2027-03-19 31 1 2"},
        "3 calls read, 0 puts skipped, 0 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("calls and puts side by side under a title row: the put's columns after the strike",
        {"--current-price", "28.50"},
        "Calls,,,,Puts,\nExpiration,Bid,Ask,Strike,Bid,Ask\n3/19/2027,1.25,1.30,30,2.40,2.50\n"
        "3/19/2027,0.55,0.60,32,,\n3/19/2027,,,34,6.00,6.20\n",
        0, {" 2027-03-19 30 1.25 1", " 2027-03-19 32 0.55 2"},
        "2 calls read, 2 puts skipped, 0 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("captions prefixed Call and Put", {"--current-price", "28.50"},
        "Expiration,Call Bid,Call Ask,Strike,Put Bid,Put Ask\n3/19/2027,1.25,1.30,30,2.40,2.50\n",
        0, {" 2027-03-19 30 1.25 1"},
        "1 calls read, 1 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--top-per expiry: each symbol's expiries ascending", {"--top-per", "expiry", "--top", "1"},
        brokerA, 0, {"ACME 2027-01-15 30 0.6 1", "ACME 2027-03-19 30 1.25 1"},
        "3 calls read, 1 puts skipped, 1 expired, 0 refused, 3 kept by the filters, 2 shown");
    row("--price last: a call without a last trade is refused", {"--price", "last"},
        "expiry,strike,bid,ask,last,underlying_price\n2027-03-19,30,1.25,1.30,1.27,28.50\n"
        "2027-03-19,31,1.00,1.10,,28.50\n",
        2, {" 2027-03-19 30 1.27 1"},
        "1 calls read, 0 puts skipped, 0 expired, 1 refused, 1 kept by the filters, 1 shown");
    const QByteArray twoVolatilities = "expiry,strike,bid,ask,iv,underlying_price\n"
                                       "2027-03-19,30,1.25,1.30,24.53%,28.50\n"
                                       "2027-03-19,31,1.00,1.10,31,28.50\n";
    row("--volatility-from chain: the iv column in percent ranks the odds",
        {"--volatility-from", "chain", "--rank-by", "volatility_used"}, twoVolatilities, 0,
        {" 2027-03-19 31 1 1", " 2027-03-19 30 1.25 2"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("--min-return on a figure of the model",
        {"--volatility-from", "chain", "--min-return", "volatility_used=30"}, twoVolatilities, 0,
        {" 2027-03-19 31 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--iv-as-fraction: 0.31 is 31 %",
        {"--volatility-from", "chain", "--iv-as-fraction", "--rank-by", "volatility_used"},
        "expiry,strike,bid,ask,iv,underlying_price\n2027-03-19,30,1.25,1.30,0.2453,28.50\n"
        "2027-03-19,31,1.00,1.10,0.31,28.50\n",
        0, {" 2027-03-19 31 1 1", " 2027-03-19 30 1.25 2"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("--top 0 is refused", {"--top", "0"}, brokerA, 64, {},
        "pravik: --top \"0\" must be a number from 1 to 100000");
    row("--rank-by a figure of words is refused", {"--rank-by", "odds_note"}, brokerA, 64, {},
        "pravik: --rank-by names no numeric figure: \"odds_note\"");
    row("a quotes file's price that is no number is refused", {"--quotes", "{badquotes}"},
        "symbol,expiry,strike,bid,ask\nACME,2027-03-19,30,1.25,1.30\n", 64, {},
        "line 2: price \"n/a\" is not a number above 0");
    row("mid: the half cent kept", {"--price", "mid", "--top", "1", "--rank-by", "days_to_expiry"},
        brokerA, 0, {"ACME 2027-03-19 30 1.275 1"},
        "3 calls read, 1 puts skipped, 1 expired, 0 refused, 3 kept by the filters, 1 shown");
    row("--min-days at its boundary", {"--min-days", "91"}, brokerA, 0,
        {"ACME 2027-03-19 30 1.25 1", "ACME 2027-03-19 32 0.55 2"},
        "3 calls read, 1 puts skipped, 1 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("--max-days at its boundary", {"--max-days", "28"}, brokerA, 0,
        {"ACME 2027-01-15 30 0.6 1"},
        "3 calls read, 1 puts skipped, 1 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--min-volume and --min-open-interest at their boundaries",
        {"--min-volume", "300", "--min-open-interest", "1500"}, brokerA, 0,
        {"ACME 2027-01-15 30 0.6 1", "ACME 2027-03-19 30 1.25 2"},
        "3 calls read, 1 puts skipped, 1 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("--min-return at its boundary: 2,500 over 12,500 is 20 %",
        {"--min-return", "upside_to_strike=20", "--current-price", "25"},
        "expiry,strike,bid,ask\n2027-03-19,30,1.00,1.50\n2027-03-19,29.99,1.00,1.50\n", 0,
        {" 2027-03-19 30 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--max-spread at its boundary: 0.50 over a mid of 1.25 is 40 %",
        {"--max-spread", "40", "--current-price", "25"},
        "expiry,strike,bid,ask\n2027-03-19,30,1.00,1.50\n2027-03-19,31,1.00,1.51\n"
        "2027-03-19,32,1.00,\n",
        0, {" 2027-03-19 30 1 1"},
        "3 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--otm-only: a strike at the price is in neither", {"--otm-only", "--current-price", "30"},
        "expiry,strike,bid,ask\n2027-03-19,30,1.00,1.50\n2027-03-19,31,1.00,1.50\n", 0,
        {" 2027-03-19 31 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--itm-only: a strike at the price is in neither", {"--itm-only", "--current-price", "30"},
        "expiry,strike,bid,ask\n2027-03-19,30,1.00,1.50\n2027-03-19,29,1.00,1.50\n", 0,
        {" 2027-03-19 29 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--min-protection at its boundary: 1.00 over 25 is 4 %",
        {"--min-protection", "4", "--current-price", "25"},
        "expiry,strike,bid,ask\n2027-03-19,30,1.00,1.10\n2027-03-19,30.5,0.99,1.10\n", 0,
        {" 2027-03-19 30 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    // A bid of 1.00 on a strike 5.00 below the price is under its intrinsic value: no volatility
    // prices it, so the model has no odds for it.
    const QByteArray noOdds = "expiry,strike,bid,ask,volume\n2027-03-19,20,1.00,1.10,5\n"
                              "2027-03-19,30,1.00,1.10,\n";
    row("--max-prob-assigned 100: a call without odds fails it",
        {"--max-prob-assigned", "100", "--current-price", "25"}, noOdds, 0, {" 2027-03-19 30 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--min-prob-profit 0: a call without odds fails it",
        {"--min-prob-profit", "0", "--current-price", "25"}, noOdds, 0, {" 2027-03-19 30 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--min-volume 0: an empty volume fails it", {"--min-volume", "0", "--current-price", "25"},
        noOdds, 0, {" 2027-03-19 20 1 1"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 1 kept by the filters, 1 shown");
    row("--rank-by a figure a call lacks: it ranks after the rest",
        {"--rank-by", "prob_profit", "--current-price", "25"}, noOdds, 0,
        {" 2027-03-19 30 1 1", " 2027-03-19 20 1 2"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("exact ties in chain order", {},
        "symbol,expiry,strike,bid,ask,underlying_price\nB,2027-03-19,30,1.25,1.30,28.50\n"
        "A,2027-03-19,30,1.25,1.30,28.50\n",
        0, {"B 2027-03-19 30 1.25 1", "A 2027-03-19 30 1.25 2"},
        "2 calls read, 0 puts skipped, 0 expired, 0 refused, 2 kept by the filters, 2 shown");
    row("--top-per symbol: groups as their symbols first appear",
        {"--top-per", "symbol", "--top", "1"},
        "symbol,expiry,strike,bid,ask,underlying_price\nB,2027-03-19,30,1.25,1.30,28.50\n"
        "A,2027-03-19,30,2.00,2.10,28.50\nB,2027-03-19,31,2.00,2.10,28.50\n",
        0, {"B 2027-03-19 31 2 1", "A 2027-03-19 30 2 1"},
        "3 calls read, 0 puts skipped, 0 expired, 0 refused, 3 kept by the filters, 2 shown");
    row("a refused row is counted and the rest ranked", {"--current-price", "28.50"},
        "expiry,strike,bid,ask\n2027-03-19,30,x,1.30\n2027-03-19,31,1.00,1.10\n", 2,
        {" 2027-03-19 31 1 1"},
        "1 calls read, 0 puts skipped, 0 expired, 1 refused, 1 kept by the filters, 1 shown");
    row("no call left: a header and no rows", {"--min-days", "1000"}, brokerA, 0, {},
        "3 calls read, 1 puts skipped, 1 expired, 0 refused, 0 kept by the filters, 0 shown");
    row("\"Underlying\" is refused: a symbol or a price", {},
        "Underlying,expiry,strike,bid,ask\nACME,2027-03-19,30,1.25,1.30\n", 64, {},
        "pravik: standard input: the header's column \"Underlying\" may be the share's symbol "
        "or its price: name it with --column symbol=Underlying or --column "
        "underlying_price=Underlying");
    row("--current-price on a chain of two symbols", {"--current-price", "28.50"},
        "symbol,expiry,strike,bid,ask\nA,2027-03-19,30,1.25,1.30\nB,2027-03-19,30,1.25,1.30\n", 64,
        {},
        "pravik: standard input: --current-price is the price of one share, and the chain "
        "holds 2 symbols: give --quotes, or an underlying_price column");
}

void TestScreenCommand::screens() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, chain);
    QFETCH(int, status);
    QFETCH(QStringList, calls);
    QFETCH(QString, summary);
    QTemporaryDir dir;
    QFile quotes{dir.filePath(QStringLiteral("quotes.csv"))};
    QVERIFY(quotes.open(QIODevice::WriteOnly));
    quotes.write("symbol,price\nACME,28.50\nZORB,40\n");
    quotes.close();
    arguments.replaceInStrings(QStringLiteral("{quotes}"), quotes.fileName());
    QFile badQuotes{dir.filePath(QStringLiteral("bad-quotes.csv"))};
    QVERIFY(badQuotes.open(QIODevice::WriteOnly));
    badQuotes.write("symbol,price\nACME,n/a\n");
    badQuotes.close();
    arguments.replaceInStrings(QStringLiteral("{badquotes}"), badQuotes.fileName());

    const Run run = runPravik(arguments, chain);
    QCOMPARE(run.status, status);
    const QStringList messages = run.err.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!messages.isEmpty());
    if (status == 64) {
        // A refused command line ends with where to look for help; the reason comes first.
        QVERIFY2(run.err.contains(summary), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        return;
    }
    QCOMPARE(messages.last(), "pravik: " + summary);
    QCOMPARE(shown(run.out), calls);
}

void TestScreenCommand::writesEachForm_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("chain");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("tail");

    QTest::newRow("a text table, its columns aligned")
        << QStringList{} << brokerA
        << "Symbol  Expiry      Strike  Price  Days  Static/yr  Called/yr  Protection  "
           "P(assigned)\n"
           "ACME    2027-01-15  $30.00  $0.60    28     27.44%     96.05%       2.11%       "
           "29.17%\n"
           "ACME    2027-03-19  $30.00  $1.25    91     17.59%     38.70%       4.39%       "
           "34.63%\n"
           "ACME    2027-03-19  $32.00  $0.55    91      7.74%     57.00%       1.93%       "
           "19.54%\n"
        << QString();
    QTest::newRow("JSON Lines, plain: the call, its figures, its rank")
        << QStringList{"--json", "--plain", "--top", "1"} << brokerA
        << R"({"symbol": "ACME", "expiry": "2027-01-15", "strike": 30, "price": 0.6, "premium": 60.00,)"
        << "\"basis_loss_if_called\": null, \"rank\": 1}\n";
    // "€" and the no-break space before it are five bytes in two columns.
    QTest::newRow("a text table in euros, aligned by characters")
        << QStringList{"--locale", "de_DE"}
        << QByteArray{"Symbol;Exp Date;Strike Price;Bid Price;Ask Price;Stock Price\n"
                      "ACME;2027-03-19;30;1,25;1,30;28,50\n"}
        << QString::fromUtf8("Symbol  Expiry       Strike   Price  Days  Static/yr  Called/yr  "
                             "Protection  P(assigned)\n"
                             "ACME    2027-03-19  30,00\u00a0€  1,25\u00a0€    91     17,59%     "
                             "38,70%       4,39%       34,63%\n")
        << QString();
}

// The forms of the output other than the CSV the other tests read.
void TestScreenCommand::writesEachForm() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, chain);
    QFETCH(QString, head);
    QFETCH(QString, tail);
    const Run run = runPravik(QStringList{"screen", "--as-of", "2026-12-18"} + arguments, chain);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith(head), qPrintable(run.out));
    QVERIFY2(run.out.endsWith(tail), qPrintable(run.out));
    QCOMPARE(run.out.count(u'\n'), head.count(u'\n') + (tail.isEmpty() ? 0 : 1));
}

// The order-keeping batch hands the ranking every row in chain order, however many threads.
void TestScreenCommand::sameForAnyJobs() {
    QFile sample{QStringLiteral(SAMPLE_CHAIN)};
    QVERIFY(sample.open(QIODevice::ReadOnly));
    // Ten times over, so that the chain spans many of the blocks the threads take.
    const QByteArray sampleChain = sample.readAll();
    const qsizetype body = sampleChain.indexOf('\n') + 1;
    QByteArray chain = sampleChain.left(body);
    for (int i = 0; i < 10; ++i) {
        chain.append(sampleChain.mid(body));
    }
    const QStringList arguments{"screen", "--as-of", "2026-12-18", "--top-per", "expiry",
                                "--top",  "7",       "--csv",      "--jobs"};
    const Run one = runPravik(arguments + QStringList{"1"}, chain);
    QCOMPARE(one.status, 0);
    QVERIFY(one.out.count(u'\n') > 20);
    for (const char* jobs : {"2", "3", "8"}) {
        const Run many = runPravik(arguments + QStringList{jobs}, chain);
        QCOMPARE(many.out, one.out);
        QCOMPARE(many.err, one.err);
    }
}

// The window's screen ranks the calls as the command does, and the inputs each call carries give
// every figure ranked again: the analysis window opens on the very position shown.
void TestScreenCommand::windowsScreenIsTheCommands() {
    const Run run = runPravik({"screen", "--as-of", "2026-12-18", "--contracts", "3", "--rate",
                               "4.5", "--fee-per-trade", "1.25", "--csv", "--plain"},
                              brokerA);
    QCOMPARE(run.status, 0);
    veltrane::ScreenOptions options;
    options.settings = veltrane::plainSettings(4);
    options.asOf = std::chrono::year{2026} / 12 / 18;
    options.contracts = 3;
    options.feePerTrade = 1.25;
    options.rate = 4.5;
    options.rateGiven = true;
    std::istringstream chain{brokerA.toStdString()};
    const veltrane::ScreenResult screened = veltrane::screenChain(chain, options);
    QVERIFY(screened.error.empty());

    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(screened.calls.size(), std::size_t(lines.size() - 1));
    const QStringList keys = lines.first().split(u',');
    for (std::size_t i = 0; i < screened.calls.size(); ++i) {
        const veltrane::ScreenedCall& call = screened.calls[i];
        const QStringList fields = lines.at(qsizetype(i) + 1).split(u',');
        QCOMPARE(QString::fromStdString(call.symbol + ' ' + call.expiry),
                 fields[0] + ' ' + fields[1]);
        QCOMPARE(call.inputs.shares.value_or(""), "300");
        const veltrane::AnalysisResult again = veltrane::analysePosition(
            call.inputs, veltrane::plainSettings(4), &veltrane::blackScholesMerton());
        QVERIFY(again.ok());
        for (const veltrane::AnalysisFigureInfo& figure : veltrane::analysisFigures) {
            const qsizetype column = keys.indexOf(QLatin1String(figure.key));
            QVERIFY2(column > 0, std::string{figure.key}.c_str());
            QCOMPARE(QString::fromStdString(
                         veltrane::figurePlainText(*again.analysis, figure.figure).value_or("")),
                     fields.at(column));
        }
    }
}

// Filtered and ranked by no figure of the model, a call is modelled only when shown: the same
// output as when a filter that keeps every call has the model run for each.
void TestScreenCommand::modelFormedForShownCalls_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("the default rank") << QStringList{};
    QTest::newRow("a price rank per symbol and expiry")
        << QStringList{"--rank-by", "time_value", "--top-per", "expiry", "--top", "3"};
    QTest::newRow("a return over the net debit, fees")
        << QStringList{"--return-base", "net-debit", "--rank-by",       "static_return_compound",
                       "--contracts",   "3",         "--fee-per-trade", "1"};
}

void TestScreenCommand::modelFormedForShownCalls() {
    QFETCH(QStringList, arguments);
    QFile sample{QStringLiteral(SAMPLE_CHAIN)};
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray chain = sample.readAll();
    arguments = QStringList{"screen", "--as-of", "2026-12-18", "--json", "--plain"} + arguments;
    const Run shownOnly = runPravik(arguments, chain);
    const Run every = runPravik(arguments + QStringList{"--max-prob-assigned", "100"}, chain);
    QCOMPARE(shownOnly.status, 0);
    QVERIFY(shownOnly.out.count(u'\n') >= 10);
    QVERIFY(!shownOnly.out.contains(QStringLiteral("\"prob_assigned\": null")));
    QCOMPARE(every.out, shownOnly.out);
}

QTEST_GUILESS_MAIN(TestScreenCommand)
#include "test_screen_command.moc"
