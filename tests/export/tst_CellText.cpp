#include "export/CellText.h"
#include "export/PartBuffer.h"
#include "export/SourceLineReader.h"

#include <QBuffer>
#include <QtTest>

using namespace nxa::exports;

namespace {

std::string_view view(const QByteArray &bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

QByteArray escaped(const QByteArray &text) {
    ByteArrayOutput output;
    PartBuffer buffer(&output);
    appendEscapedText(buffer, view(text));
    buffer.finish();
    return output.bytes();
}

QList<QByteArray> linesOf(const QByteArray &text) {
    QBuffer device;
    device.setData(text);
    device.open(QIODevice::ReadOnly);
    SourceLineReader reader(device);
    QList<QByteArray> lines;
    std::string_view line;
    while (reader.next(line))
        lines.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    return lines;
}

} // namespace

class TestCellText : public QObject {
    Q_OBJECT

private slots:
    void numericTest_data();
    void numericTest();
    void numberTextOfNumericFields_data();
    void numberTextOfNumericFields();
    void columnLettersOfNumbers_data();
    void columnLettersOfNumbers();
    void escapingOfSharedStrings_data();
    void escapingOfSharedStrings();
    void fieldSplitting_data();
    void fieldSplitting();
    void lineEnds_data();
    void lineEnds();
    void crLfAcrossReadChunks();
    void partBufferCarriesLongPartsIntact();
};

void TestCellText::numericTest_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("integer") << QByteArray("12") << true;
    QTest::newRow("negative decimal") << QByteArray("-3.5") << true;
    QTest::newRow("leading point") << QByteArray(".5") << true;
    QTest::newRow("trailing point") << QByteArray("5.") << true;
    QTest::newRow("exponent") << QByteArray("1e5") << true;
    QTest::newRow("negative exponent") << QByteArray("2.5e-3") << true;
    QTest::newRow("plus sign") << QByteArray("+7") << true;
    QTest::newRow("signed exponent") << QByteArray("1e+5") << true;
    QTest::newRow("point before exponent") << QByteArray("5.e3") << true;
    QTest::newRow("five-digit id") << QByteArray("00042") << true;
    QTest::newRow("leading spaces") << QByteArray("   12") << false;
    QTest::newRow("trailing space") << QByteArray("12 ") << false;
    QTest::newRow("comma") << QByteArray("1,5") << false;
    QTest::newRow("uppercase E") << QByteArray("1E5") << false;
    QTest::newRow("exponent first") << QByteArray("e5") << false;
    QTest::newRow("exponent without digits") << QByteArray("1e") << false;
    QTest::newRow("exponent with sign only") << QByteArray("1e-") << false;
    QTest::newRow("lone point") << QByteArray(".") << false;
    QTest::newRow("two points") << QByteArray("1.2.3") << false;
    QTest::newRow("point in exponent") << QByteArray("1e5.0") << false;
    QTest::newRow("two exponents") << QByteArray("1e5e5") << false;
    QTest::newRow("sign inside") << QByteArray("1-2") << false;
    QTest::newRow("double sign") << QByteArray("--1") << false;
    QTest::newRow("lone sign") << QByteArray("-") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("date") << QByteArray("01/02/2024") << false;
    QTest::newRow("time") << QByteArray("12:30:00") << false;
    // No digit before the exponent: no spreadsheet reads it as a number.
    QTest::newRow("point then exponent") << QByteArray(".e5") << false;
}

void TestCellText::numericTest() {
    QFETCH(QByteArray, field);
    QFETCH(bool, numeric);
    QCOMPARE(isNumeric(view(field)), numeric);
}

void TestCellText::numberTextOfNumericFields_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("trailing zeros") << QByteArray("12.500") << QByteArray("12.5");
    QTest::newRow("42.50") << QByteArray("42.50") << QByteArray("42.5");
    QTest::newRow("zero fraction") << QByteArray("10.0") << QByteArray("10");
    QTest::newRow("bare point") << QByteArray("10.") << QByteArray("10");
    QTest::newRow("integer keeps zeros") << QByteArray("100") << QByteArray("100");
    QTest::newRow("exponent unchanged") << QByteArray("1.50e3") << QByteArray("1.50e3");
    QTest::newRow("leading zeros kept") << QByteArray("007.10") << QByteArray("007.1");
    QTest::newRow("negative") << QByteArray("-3.50") << QByteArray("-3.5");
    // Nothing but zeros after the point: the value is zero, never an empty value.
    QTest::newRow("only fraction zeros") << QByteArray(".000") << QByteArray("0");
    QTest::newRow("signed fraction zeros") << QByteArray("-.0") << QByteArray("0");
}

void TestCellText::numberTextOfNumericFields() {
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, text);
    QVERIFY(isNumeric(view(field)));
    const std::string_view result = numberText(view(field));
    QCOMPARE(QByteArray(result.data(), static_cast<qsizetype>(result.size())), text);
}

void TestCellText::columnLettersOfNumbers_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QByteArray>("letters");
    QTest::newRow("0") << 0 << QByteArray();
    QTest::newRow("-5") << -5 << QByteArray();
    QTest::newRow("1") << 1 << QByteArray("A");
    QTest::newRow("13") << 13 << QByteArray("M");
    QTest::newRow("26") << 26 << QByteArray("Z");
    QTest::newRow("27") << 27 << QByteArray("AA");
    QTest::newRow("52") << 52 << QByteArray("AZ");
    QTest::newRow("53") << 53 << QByteArray("BA");
    QTest::newRow("702") << 702 << QByteArray("ZZ");
    QTest::newRow("703") << 703 << QByteArray("AAA");
    QTest::newRow("16384") << 16384 << QByteArray("XFD");
}

void TestCellText::columnLettersOfNumbers() {
    QFETCH(int, column);
    QFETCH(QByteArray, letters);
    QCOMPARE(QByteArray::fromStdString(columnLetters(column)), letters);
}

void TestCellText::escapingOfSharedStrings_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("markup") << QByteArray("A&B<C>") << QByteArray("A&amp;B&lt;C&gt;");
    QTest::newRow("entity escaped once") << QByteArray("&amp;") << QByteArray("&amp;amp;");
    QTest::newRow("quotes untouched") << QByteArray("O'Neil \"Jr\"") << QByteArray("O'Neil \"Jr\"");
    QTest::newRow("leading spaces") << QByteArray("   Smith") << QByteArray("   Smith");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("tab stays") << QByteArray("a\tb") << QByteArray("a\tb");
    QTest::newRow("control character") << QByteArray("Jo\x01hn") << QByteArray("Jo_x0001_hn");
    QTest::newRow("nul") << QByteArray("a\0b", 3) << QByteArray("a_x0000_b");
    QTest::newRow("escape and form feed") << QByteArray("\x1B\x0C") << QByteArray("_x001B__x000C_");
    QTest::newRow("U+FFFE") << QByteArray("x\xEF\xBF\xBEy") << QByteArray("x_xFFFE_y");
    QTest::newRow("U+FFFF") << QByteArray("\xEF\xBF\xBF") << QByteArray("_xFFFF_");
    QTest::newRow("U+FFFD kept") << QByteArray("\xEF\xBF\xBD") << QByteArray("\xEF\xBF\xBD");
    QTest::newRow("non-ASCII kept") << QByteArray("M\xC3\xBCller") << QByteArray("M\xC3\xBCller");
    QTest::newRow("literal escape protected")
        << QByteArray("_x0041_") << QByteArray("_x005F_x0041_");
    QTest::newRow("lowercase hex protected")
        << QByteArray("a_x00ff_") << QByteArray("a_x005F_x00ff_");
    // Unclosed in the text, but closed by the escape of what follows it.
    QTest::newRow("unclosed escape before a control character")
        << QByteArray("_x0045\x01"
                      "abc")
        << QByteArray("_x005F_x0045_x0001_abc");
    QTest::newRow("unclosed escape at the end")
        << QByteArray("a_x00ff") << QByteArray("a_x005F_x00ff");
    QTest::newRow("not an escape")
        << QByteArray("_x004_ _xGGGG_ _x") << QByteArray("_x004_ _xGGGG_ _x");
}

void TestCellText::escapingOfSharedStrings() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, xml);
    QCOMPARE(escaped(text), xml);
}

void TestCellText::fieldSplitting_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<QList<QByteArray>>("fields");
    QTest::newRow("empty line") << QByteArray() << QByteArray("\t") << QList<QByteArray>{};
    QTest::newRow("no separator") << QByteArray(" a b ") << QByteArray("\t")
                                  << QList<QByteArray>{" a b "};
    QTest::newRow("trailing separator")
        << QByteArray("a\tb\t") << QByteArray("\t") << QList<QByteArray>{"a", "b"};
    QTest::newRow("no trailing separator")
        << QByteArray("a\tb") << QByteArray("\t") << QList<QByteArray>{"a", "b"};
    QTest::newRow("empty between")
        << QByteArray("x\t\ty\t") << QByteArray("\t") << QList<QByteArray>{"x", "", "y"};
    QTest::newRow("separator only")
        << QByteArray("\t") << QByteArray("\t") << QList<QByteArray>{""};
    QTest::newRow("leading separator")
        << QByteArray("\ta") << QByteArray("\t") << QList<QByteArray>{"", "a"};
    QTest::newRow("spaces kept") << QByteArray("  1\t 2 \t") << QByteArray("\t")
                                 << QList<QByteArray>{"  1", " 2 "};
    QTest::newRow("longer separator")
        << QByteArray("a;;b;;;;c;;") << QByteArray(";;") << QList<QByteArray>{"a", "b", "", "c"};
    QTest::newRow("empty separator")
        << QByteArray("a\tb") << QByteArray() << QList<QByteArray>{"a\tb"};
}

void TestCellText::fieldSplitting() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, separator);
    QFETCH(QList<QByteArray>, fields);
    std::vector<std::string_view> result;
    splitFields(view(line), view(separator), result);
    QList<QByteArray> got;
    for (std::string_view field : result)
        got.append(QByteArray(field.data(), static_cast<qsizetype>(field.size())));
    QCOMPARE(got, fields);
}

void TestCellText::lineEnds_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("nothing") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a", "b"};
    QTest::newRow("lone LF and CR") << QByteArray("a\nb\rc") << QList<QByteArray>{"a", "b", "c"};
    QTest::newRow("empty lines count")
        << QByteArray("a\r\n\r\n\r\nb\r\n") << QList<QByteArray>{"a", "", "", "b"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\n") << QList<QByteArray>{"a", ""};
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("last line unterminated") << QByteArray("a\r\nb") << QList<QByteArray>{"a", "b"};
    QTest::newRow("byte-order mark skipped")
        << QByteArray("\xEF\xBB\xBFId\r\n") << QList<QByteArray>{"Id"};
    QTest::newRow("mark alone") << QByteArray("\xEF\xBB\xBF") << QList<QByteArray>{};
    QTest::newRow("only the first mark")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << QList<QByteArray>{"\xEF\xBB\xBFx"};
    QTest::newRow("invalid UTF-8 replaced")
        << QByteArray("M\xFCller\r\n") << QList<QByteArray>{"M\xEF\xBF\xBDller"};
    QTest::newRow("valid UTF-8 kept")
        << QByteArray("M\xC3\xBCller") << QList<QByteArray>{"M\xC3\xBCller"};
}

void TestCellText::lineEnds() {
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(linesOf(text), lines);
}

void TestCellText::crLfAcrossReadChunks() {
    // Lines of every length around the reader's chunk size, so some CR LF
    // pairs and some lines straddle the point where one read ends.
    QByteArray text;
    QList<QByteArray> expected;
    for (int length = 256 * 1024 - 3; length <= 256 * 1024 + 3; ++length) {
        const QByteArray line(length, 'x');
        text += line + "\r\n";
        expected.append(line);
    }
    for (int shift = 0; shift < 3; ++shift) {
        const QByteArray shifted = QByteArray(shift, 'y') + "\r\n" + text;
        QList<QByteArray> lines = linesOf(shifted);
        QCOMPARE(lines.size(), expected.size() + 1);
        lines.removeFirst();
        QCOMPARE(lines, expected);
    }
}

void TestCellText::partBufferCarriesLongPartsIntact() {
    ByteArrayOutput output;
    PartBuffer buffer(&output);
    PartBuffer counter;
    QByteArray expected;
    for (int i = 0; i < 40000; ++i) {
        const QByteArray piece = QByteArray::number(i) + QByteArray(i % 7, 'a');
        buffer.append(view(piece));
        counter.append(view(piece));
        expected += piece;
    }
    const QByteArray big(3 * PartBuffer::kChunkSize + 5, 'b');
    buffer.append(view(big));
    counter.append(view(big));
    expected += big;
    buffer.appendNumber(-1234567890123);
    counter.appendNumber(-1234567890123);
    expected += "-1234567890123";
    QVERIFY(buffer.finish());
    QCOMPARE(output.bytes(), expected);
    QCOMPARE(buffer.size(), expected.size());
    QCOMPARE(counter.size(), expected.size());
}

QTEST_GUILESS_MAIN(TestCellText)
#include "tst_CellText.moc"
