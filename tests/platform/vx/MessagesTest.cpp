#include <QTest>

#include <set>
#include <string>

#include "vx/MessageText.h"
#include "vx/Msg.h"
#include "vx/Status.h"

namespace msg = vx::MSG;

namespace {

std::string fill(const char* format, const double* doubles, const int* ints = nullptr, const char* string = nullptr) {
  return vx::msgtext::format(format, doubles, ints, string);
}

struct Received {
  int count = 0;
  int code = 0;
  std::string text;
};

void receive(int code, const char* format, const double*, const int*, const char*, void* user) {
  auto* received = static_cast<Received*>(user);
  ++received->count;
  received->code = code;
  received->text = format ? format : "";
}

}  // namespace

class MessagesTest : public QObject {
  Q_OBJECT

 private slots:
  void codesDecodeToWhatMadeThem() {
    for (int type : {0, 2, 3, 4, 5, 6, 9})
      for (int step : {0, 1000, 1300, 1310, 1500, 1710, 1750, 1840, 9999})
        for (int sub : {0, 1, 26, 99}) {
          const int code = msg::makeCode(type, step, sub);
          QCOMPARE(msg::typeOfCode(code), type);
          QCOMPARE(msg::stepOfCode(code), step);
          QCOMPARE(msg::subCodeOfCode(code), sub);
        }
    QCOMPARE(msg::makeCode(5, 1000, 26), 5100026);
    // Values that would spill into a neighbour's digits make no code at all.
    QCOMPARE(msg::makeCode(3, 10000, 0), -1);
    QCOMPARE(msg::makeCode(3, 1710, 100), -1);
    QCOMPARE(msg::makeCode(10, 0, 0), -1);
    QCOMPARE(msg::makeCode(-1, 0, 0), -1);
    QCOMPARE(msg::typeOfCode(-1), 0);
    QCOMPARE(msg::stepOfCode(-5100026), 0);
    QCOMPARE(msg::subCodeOfCode(-7), 0);
  }

  void everyStepCodeHasItsOwnName() {
    std::set<std::string> names;
    for (int step : {0, 1000, 1300, 1310, 1400, 1500, 1710, 1720, 1740, 1750, 1820, 1830, 1840}) {
      QVERIFY(!msg::stepName(step).empty());
      names.insert(msg::stepName(step));
    }
    QCOMPARE(names.size(), size_t(13));
    QCOMPARE(msg::stepName(1710), std::string("DSM"));
    QCOMPARE(msg::stepName(1750), std::string("DSM Mesh Texturing"));
    QCOMPARE(msg::stepName(1234), std::string("Step 1234"));
    QVERIFY(msg::isModuleStep(1300) && msg::isModuleStep(1840));
    QVERIFY(!msg::isModuleStep(1000) && !msg::isModuleStep(1310) && !msg::isModuleStep(0));
  }

  void valuesComeFromDoublesThenIntsThenTheString() {
    const double d[3] = {0.5, 12.25, 3};
    const int i[3] = {4, 9, 0};
    QCOMPARE(fill("%.2f done, %g s", d, i, "x"), std::string("0.50 done, 12.25 s"));
    QCOMPARE(fill("Processing Tile %d of %d", nullptr, i, "x"), std::string("Processing Tile 4 of 9"));
    QCOMPARE(fill("File %s", nullptr, nullptr, "a b.tif"), std::string("File a b.tif"));
    QCOMPARE(fill("100%% as is %d", nullptr), std::string("100%% as is %d"));
    QCOMPARE(fill(nullptr, d), std::string());
    // Each value takes the kind its conversion asks for.
    QCOMPARE(fill("%d|%s|%05.1f", d), std::string("0|12.25|003.0"));
    QCOMPARE(fill("%f|%s|%x", nullptr, i), std::string("4.000000|9|0"));
    QCOMPARE(fill("%5s|%-4s|", nullptr, nullptr, "ab"), std::string("   ab|%-4s|"));  // one string, one value
    QCOMPARE(fill("%ld %lld %hhd", nullptr, i), std::string("4 9 0"));
  }

  // Formats come from modules; none of these may crash, read past the values or write anything.
  void hostileFormatsStayHarmless() {
    const double d[3] = {1, 2, 3};
    const int i[3] = {1, 2, 3};
    QCOMPARE(fill("%d %d %d %d %d", nullptr, i), std::string("1 2 3 %d %d"));
    QCOMPARE(fill("%s %s", nullptr, nullptr, "one"), std::string("one %s"));
    QCOMPARE(fill("ends in %", d), std::string("ends in %"));
    QCOMPARE(fill("ends in %-0", d), std::string("ends in %-0"));
    QCOMPARE(fill("%n%hn%p%c", nullptr, i), std::string("%n%hn%p%c"));
    QCOMPARE(fill("%d without ints but a string", nullptr, nullptr, "s"), std::string("%d without ints but a string"));
    QCOMPARE(fill("%*d %.*f %2$d", d), std::string("%*d %.*f %2$d"));
    QCOMPARE(fill("%999999999d|%.99999999f|%257d", d), std::string("%999999999d|%.99999999f|%257d"));
    QCOMPARE(fill("%256d", nullptr, i).size(), size_t(256));
    const double extremes[3] = {1e308, -1e308, std::numeric_limits<double>::quiet_NaN()};
    QCOMPARE(fill("%d %d %d", extremes), std::string("9223372036854775807 -9223372036854775808 nan"));
    QVERIFY(fill("%f", extremes).size() > 300);

    QVERIFY(vx::msgtext::hasOversizedField("%1000d"));
    QVERIFY(vx::msgtext::hasOversizedField("x %|-99999|"));
    QVERIFY(vx::msgtext::hasOversizedField("%.5000f"));
    QVERIFY(!vx::msgtext::hasOversizedField("%1% %|10| %08.3f 100%, 99999"));
  }

  void theUtilityChannelReachesOnlyItsCurrentReceiver() {
    Received first, second;
    vx::utils::status::report(msg::makeCode(3, 0, 0), "nobody listens");
    vx::utils::status::setStatusCallbackFunction(&receive, &first);
    vx::utils::status::report(msg::makeCode(3, 1740, 0), "lod");
    vx::utils::status::setStatusCallbackFunction(&receive, &second);
    vx::utils::status::report(msg::makeCode(4, 1740, 0), "second");
    vx::utils::status::setStatusCallbackFunction(nullptr);
    vx::utils::status::report(msg::makeCode(4, 1740, 0), "gone");
    QCOMPARE(first.count, 1);
    QCOMPARE(first.text, std::string("lod"));
    QCOMPARE(second.count, 1);
    QCOMPARE(second.code, msg::makeCode(4, 1740, 0));

    vx::utils::status::cancel(true);
    QVERIFY(vx::utils::status::isCancelled());
    vx::utils::status::cancel(false);
    QVERIFY(!vx::utils::status::isCancelled());

    QCOMPARE(vx::utils::processing::getProcessingStatus("No Such Step"), -1);
    QCOMPARE(vx::utils::processing::getProcessingStatus("True Ortho"), 0);
    vx::utils::processing::setProcessingStatus("True Ortho", 2);
    QCOMPARE(vx::utils::processing::getProcessingStatus("True Ortho"), 2);
  }
};

QTEST_APPLESS_MAIN(MessagesTest)
#include "MessagesTest.moc"
