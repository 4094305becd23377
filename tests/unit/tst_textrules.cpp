// The text/number helpers and the shared answer-parsing rules, on their boundaries.
#include "protocol/ParseRules.h"
#include "protocol/TextHelpers.h"

#include <QtTest>

class TextRulesTest : public QObject {
    Q_OBJECT

private slots:
    void trimLeading_data();
    void trimLeading();
    void startsWith_data();
    void startsWith();
    void isAlphanumeric_data();
    void isAlphanumeric();
    void parseSignedDecimal_data();
    void parseSignedDecimal();
    void parseNumber_data();
    void parseNumber();
    void textAfter_data();
    void textAfter();
    void labelledValue_data();
    void labelledValue();
    void nextNumberSequence_data();
    void nextNumberSequence();
    void nextNumberAdvancesPastComma();
    void versionText_data();
    void versionText();
    void displayNumber_data();
    void displayNumber();
};

void TextRulesTest::trimLeading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("only blanks") << " \r\n\t"
                                 << "";
    QTest::newRow("all blank kinds, trailing kept") << "\r\n \tab \r\n"
                                                    << "ab \r\n";
    QTest::newRow("nothing to trim") << "dmc\r\n#"
                                     << "dmc\r\n#";
    QTest::newRow("other whitespace is not blank") << "\vx"
                                                   << "\vx";
}

void TextRulesTest::trimLeading() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Text::trimLeading(text), expected);
}

void TextRulesTest::startsWith_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("digit");
    QTest::addColumn<bool>("octal");
    QTest::addColumn<bool>("hex");
    QTest::newRow("empty counts as a match") << "" << true << true << true;
    QTest::newRow("0") << "0x" << true << true << true;
    QTest::newRow("7") << "7" << true << true << true;
    QTest::newRow("8") << "8" << true << false << true;
    QTest::newRow("9") << "9abc" << true << false << true;
    QTest::newRow("lower-case hex") << "f" << false << false << true;
    QTest::newRow("upper-case hex") << "A" << false << false << true;
    QTest::newRow("g") << "g1" << false << false << false;
    QTest::newRow("leading blank") << " 1" << false << false << false;
    QTest::newRow("sign") << "-1" << false << false << false;
}

void TextRulesTest::startsWith() {
    QFETCH(QString, text);
    QFETCH(bool, digit);
    QFETCH(bool, octal);
    QFETCH(bool, hex);
    QCOMPARE(Text::startsWithDigit(text), digit);
    QCOMPARE(Text::startsWithOctalDigit(text), octal);
    QCOMPARE(Text::startsWithHexDigit(text), hex);
}

void TextRulesTest::isAlphanumeric_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("digit") << "0" << true;
    QTest::newRow("lower") << "z" << true;
    QTest::newRow("upper") << "A" << true;
    QTest::newRow("carriage return") << "\r" << false;
    QTest::newRow("blank") << " " << false;
    QTest::newRow("punctuation") << "_" << false;
    QTest::newRow("accented letter") << QString(QChar(0x00e9)) << false;
}

void TextRulesTest::isAlphanumeric() {
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(Text::isAlphanumeric(text), expected);
    QCOMPARE(Text::isAlphanumeric(text.at(0)), expected);
}

void TextRulesTest::parseSignedDecimal_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("only blanks") << " \r\n" << -1;
    QTest::newRow("letters") << "abc" << -1;
    QTest::newRow("sign without digits") << "-" << -1;
    QTest::newRow("sign then letter") << "- x" << -1;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("minus zero") << "-0" << 0;
    QTest::newRow("leading zeros are decimal") << "007" << 7;
    QTest::newRow("blanks around the sign") << " \t-  34,5" << -34;
    QTest::newRow("after line end") << "\r\n7\r\n#" << 7;
    QTest::newRow("ends at text end") << "255" << 255;
    QTest::newRow("stops at a blank") << "1 2" << 1;
    QTest::newRow("cap reached exactly") << "6552" << 6552;
    QTest::newRow("one more digit after 6552") << "65529" << 65529;
    QTest::newRow("6553 stops further digits") << "65535" << 6553;
    QTest::newRow("long number") << "123456" << 12345;
    QTest::newRow("negative over the cap") << "-65535" << -6553;
    QTest::newRow("plus sign is no sign") << "+5" << -1;
}

void TextRulesTest::parseSignedDecimal() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(Text::parseSignedDecimal(text), expected);
}

void TextRulesTest::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("letter") << "x1" << -1;
    QTest::newRow("no blanks") << " 5" << -1;
    QTest::newRow("no sign") << "-5" << -1;
    QTest::newRow("decimal") << "42\r\n#" << 42;
    QTest::newRow("decimal 6552") << "6552" << 6552;
    QTest::newRow("decimal past cap") << "65529" << 65529;
    QTest::newRow("decimal stops after 6553") << "65535" << 6553;
    QTest::newRow("decimal then x") << "9x1" << 9;
    QTest::newRow("octal") << "017" << 15;
    QTest::newRow("octal 8 ends it") << "0178" << 15;
    QTest::newRow("octal up to 8191") << "017777" << 8191;
    QTest::newRow("octal stops after 8191") << "0177777" << 8191;
    QTest::newRow("octal one digit past 8190") << "0177767" << 8190 * 8 + 7;
    QTest::newRow("hex lower") << "0x1f" << 31;
    QTest::newRow("hex upper") << "0X1F" << 31;
    QTest::newRow("hex 4094 takes one more") << "0xFFEF" << 65519;
    QTest::newRow("hex stops after 4095") << "0xFFFF" << 4095;
    QTest::newRow("hex then non-digit") << "0x3g" << 3;
    QTest::newRow("lone zero") << "0" << 0;
    QTest::newRow("zero then line end") << "0\r\n#" << 0;
    QTest::newRow("zero then 8") << "08" << 0;
    QTest::newRow("0x without digits") << "0x" << 0;
    QTest::newRow("0x then non-hex") << "0xg" << 0;
}

void TextRulesTest::parseNumber() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(Text::parseNumber(text), expected);
    QCOMPARE(ParseRules::radixNumber(text), expected);
}

void TextRulesTest::textAfter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("afterComma");
    QTest::addColumn<QString>("afterLineFeed");
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("neither") << "abc"
                             << "abc"
                             << "abc";
    QTest::newRow("first comma, first line feed") << "1,2\r\n3,4\n5"
                                                  << "2\r\n3,4\n5"
                                                  << "3,4\n5";
    QTest::newRow("separator at the end") << "7,\n"
                                          << "\n"
                                          << "";
    QTest::newRow("carriage return alone is no line feed") << "a\rb"
                                                           << "a\rb"
                                                           << "a\rb";
}

void TextRulesTest::textAfter() {
    QFETCH(QString, text);
    QFETCH(QString, afterComma);
    QFETCH(QString, afterLineFeed);
    QCOMPARE(Text::textAfterComma(text), afterComma);
    QCOMPARE(Text::textAfterLineFeed(text), afterLineFeed);
}

void TextRulesTest::labelledValue_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");
    const QString model = QStringLiteral("Model Number = ");
    QTest::newRow("usual ending keeps the CR") << "Model Number = 1234-56\r\n#" << model << true << "1234-56\r";
    QTest::newRow("absent") << "Serial Number = 1\r\n#" << model << false << "";
    QTest::newRow("empty body") << "" << model << false << "";
    QTest::newRow("label only") << model << model << true << "";
    QTest::newRow("one character after the label") << "Model Number = X" << model << true << "";
    QTest::newRow("two characters after the label") << "Model Number = XY" << model << true << "";
    QTest::newRow("label not at the start") << "ab" + model + "12\r\n#" << model << true << "= 12\r";
}

void TextRulesTest::labelledValue() {
    QFETCH(QString, body);
    QFETCH(QString, label);
    QFETCH(bool, found);
    QFETCH(QString, value);
    bool wasFound = !found;
    QCOMPARE(ParseRules::labelledValue(body, label, &wasFound), value);
    QCOMPARE(wasFound, found);
    QCOMPARE(ParseRules::labelledValue(body, label), value);
}

void TextRulesTest::nextNumberSequence_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("list then repeat of the last") << "10,-20, 30\r\n#" << QList<int>{10, -20, 30, 30, 30};
    QTest::newRow("no comma reads the same text") << "12" << QList<int>{12, 12, 12};
    QTest::newRow("empty") << "" << QList<int>{-1, -1};
    QTest::newRow("missing number in the middle") << "1,,3" << QList<int>{1, -1, 3};
    QTest::newRow("leading comma") << ",7" << QList<int>{-1, 7, 7};
    QTest::newRow("text ends inside a number") << "5,65" << QList<int>{5, 65, 65};
    QTest::newRow("line ends between values") << "1,\r\n 2,\r\n-3" << QList<int>{1, 2, -3};
    QTest::newRow("sign without digits") << "-,4" << QList<int>{-1, 4};
    QTest::newRow("capped value then next") << "99999,1" << QList<int>{9999, 1};
}

void TextRulesTest::nextNumberSequence() {
    QFETCH(QString, text);
    QFETCH(QList<int>, expected);
    QList<int> read;
    QString rest = text;
    for (int i = 0; i < expected.size(); ++i)
        read << ParseRules::nextNumber(rest);
    QCOMPARE(read, expected);
}

void TextRulesTest::nextNumberAdvancesPastComma() {
    QString rest = QStringLiteral("1, 2,3");
    QCOMPARE(ParseRules::nextNumber(rest), 1);
    QCOMPARE(rest, QStringLiteral(" 2,3"));
    QCOMPARE(ParseRules::nextNumber(rest), 2);
    QCOMPARE(rest, QStringLiteral("3"));
    QCOMPARE(ParseRules::nextNumber(rest), 3);
    QCOMPARE(rest, QStringLiteral("3"));
}

void TextRulesTest::versionText_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expected");
    QTest::newRow("line end and prompt removed") << "V 2.10\r\n#" << true << "2.10";
    QTest::newRow("text before the V") << "firmware V 1.38\r\n$" << true << "1.38";
    QTest::newRow("first upper-case V counts") << "Ver 3.05\r\n#" << true << "r 3.05";
    QTest::newRow("trailing words removed") << "V 2.10 beta\r\n#" << true << "2.10";
    QTest::newRow("separator is any character") << "V2.10" << true << ".10";
    QTest::newRow("nothing after the V") << "V" << true << "";
    QTest::newRow("no digit after the V") << "V \r\n#" << true << "";
    QTest::newRow("error prompt") << "V 2.10\r\n!" << false << "";
    QTest::newRow("error mark before the V") << "!V 2.10" << false << "";
    QTest::newRow("lower-case v only") << "v 2.10\r\n#" << false << "";
    QTest::newRow("empty") << "" << false << "";
}

void TextRulesTest::versionText() {
    QFETCH(QString, body);
    QFETCH(bool, ok);
    QFETCH(QString, expected);
    bool wasOk = !ok;
    QCOMPARE(ParseRules::versionText(body, &wasOk), expected);
    QCOMPARE(wasOk, ok);
}

void TextRulesTest::displayNumber_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0 << "0";
    QTest::newRow("negative") << -5 << "-5";
    QTest::newRow("no fill") << 7 << "7";
    QTest::newRow("large") << 65529 << "65529";
}

void TextRulesTest::displayNumber() {
    QFETCH(int, value);
    QFETCH(QString, expected);
    QCOMPARE(ParseRules::displayNumber(value), expected);
}

QTEST_GUILESS_MAIN(TextRulesTest)
#include "tst_textrules.moc"
