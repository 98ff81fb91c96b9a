// The search filter's match rule, the record search of both views and the file list's pattern.

#include "core/search.h"
#include "support/testmain.h"

#include <QRandomGenerator>

using namespace korvanta;

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void match_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("match");
        QTest::newRow("empty key, empty text") << ""
                                               << "" << true;
        QTest::newRow("empty key") << "abc"
                                   << "" << true;
        QTest::newRow("inside") << "xabcx"
                                << "abc" << true;
        QTest::newRow("lower case key, capital text") << "A"
                                                      << "a" << false;
        QTest::newRow("half-width key, full-width text") << "ア"
                                                         << "ｱ" << false;
        QTest::newRow("hiragana key, katakana text") << "アイ"
                                                     << "あい" << false;
        QTest::newRow("full-width letter") << "ａｂ"
                                           << "ab" << false;
        QTest::newRow("key longer than text") << "ab"
                                              << "abc" << false;
        QTest::newRow("blank in key is not trimmed") << "ab"
                                                     << " ab" << false;
        QTest::newRow("split run") << "a b"
                                   << "ab" << false;
        QTest::newRow("surrogate pair") << "𠮷野家"
                                        << "𠮷野" << true;
        QTest::newRow("ends match, middle differs, long text")
            << QString(20, u'.') + "abzd" + QString(20, u'.') << "abcd" << false;
        QTest::newRow("last position of a long text")
            << QString(37, u'.') + "山田太" << "山田太" << true;
    }
    void match()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(bool, match);
        QCOMPARE(matchesKey(text, key), match);
    }

    // Every text length and key position against the plain substring test. The texts are views
    // into longer strings, as items are, so a look past a text's end would find false hits.
    void matchAgreesWithPlainSearch()
    {
        const QString alphabet = QStringLiteral("abアｱ\t");
        QRandomGenerator random(2024);
        const auto make = [&](int length) {
            QString s;
            for (int i = 0; i < length; ++i)
                s += alphabet.at(random.bounded(int(alphabet.size())));
            return s;
        };
        for (int trial = 0; trial < 20000; ++trial) {
            const QString whole = make(40);
            const QStringView text = QStringView(whole).left(random.bounded(40));
            const QString key = make(1 + random.bounded(5));
            if (matchesKey(text, key) != text.contains(key))
                QFAIL(qPrintable(QStringLiteral("text '%1' key '%2'").arg(text.toString(), key)));
        }
    }

    void records_data()
    {
        QTest::addColumn<int>("displayItem");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("records");
        // Records: 1 xab|c, 2 ab|c, 3 A|ア, 4 a|ｱ
        QTest::newRow("single item, case") << 1 << "a" << QList<int> { 1, 2, 4 };
        QTest::newRow("single item, kana width") << 2 << "ｱ" << QList<int> { 4 };
        QTest::newRow("all items, within an item") << -1 << "ab" << QList<int> { 1, 2 };
        QTest::newRow("all items, not across the TAB") << -1 << "bc" << QList<int> {};
        QTest::newRow("all items, key holding the TAB") << -1 << "b\tc" << QList<int> { 1, 2 };
        QTest::newRow("all items, later item") << -1 << "ア" << QList<int> { 3 };
        QTest::newRow("not found") << 1 << "zz" << QList<int> {};
        QTest::newRow("empty key gives all") << 2 << "" << QList<int> { 1, 2, 3, 4 };
        QTest::newRow("item out of range") << 3 << "a" << QList<int> {};
    }
    void records()
    {
        QFETCH(int, displayItem);
        QFETCH(QString, key);
        QFETCH(QList<int>, records);
        const DataSet data = DataSet::fromFileText(u"名前,読み\r\nxab,c\r\nab,c\r\nA,ア\r\na,ｱ", 2);
        const std::vector<int> found = searchRecords(data, displayItem, key);
        QCOMPARE(QList<int>(found.begin(), found.end()), records);
    }

    // The search for several words: every word within one item, in any order, the blanks of
    // both widths and TAB between them; without it a blank is a character of the key.
    void severalWords_data()
    {
        QTest::addColumn<int>("displayItem");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("records");
        QTest::addColumn<QList<int>>("forgiving");
        // Records: 1 xab|c, 2 ab|c, 3 A|ア, 4 a|ｱ, 5 ab c|z
        QTest::newRow("words in two items")
            << -1 << "ab c" << QList<int> { 1, 2, 5 } << QList<int> { 1, 2, 5 };
        QTest::newRow("any order") << -1 << "c x" << QList<int> { 1 } << QList<int> { 1 };
        QTest::newRow("full-width blank, repeated blanks")
            << -1 << "　ab　 c " << QList<int> { 1, 2, 5 } << QList<int> { 1, 2, 5 };
        QTest::newRow("a word is not found across items")
            << -1 << "bc a" << QList<int> {} << QList<int> {};
        QTest::newRow("one word missing") << -1 << "ab ア" << QList<int> {} << QList<int> {};
        QTest::newRow("words folded each") << -1 << "Ａ ｱ" << QList<int> {} << QList<int> { 3, 4 };
        QTest::newRow("the same word twice")
            << -1 << "a a" << QList<int> { 1, 2, 4, 5 } << QList<int> { 1, 2, 3, 4, 5 };
        QTest::newRow("single item") << 1 << "b x" << QList<int> { 1 } << QList<int> { 1 };
        QTest::newRow("single item, the other item's word")
            << 1 << "ab z" << QList<int> {} << QList<int> {};
        QTest::newRow("blanks only")
            << -1 << " 　" << QList<int> { 1, 2, 3, 4, 5 } << QList<int> { 1, 2, 3, 4, 5 };
    }
    void severalWords()
    {
        QFETCH(int, displayItem);
        QFETCH(QString, key);
        QFETCH(QList<int>, records);
        QFETCH(QList<int>, forgiving);
        const DataSet data
            = DataSet::fromFileText(u"名前,読み\r\nxab,c\r\nab,c\r\nA,ア\r\na,ｱ\r\nab c,z", 2);
        const FoldedDataSet folded(data);
        const std::vector<int> e = searchRecords(data, displayItem, key, KeyWords::All);
        const std::vector<int> f = searchFoldedRecords(folded, displayItem, key, KeyWords::All);
        QCOMPARE(QList<int>(e.begin(), e.end()), records);
        QCOMPARE(QList<int>(f.begin(), f.end()), forgiving);
        // As one key, only the record holding the blank itself has "ab c".
        QCOMPARE(searchRecords(data, -1, u"ab c"), std::vector<int> { 5 });
    }

    // Each class of difference the forgiving search ignores, and the ones it keeps.
    void fold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("ASCII capitals") << "AbC xyZ"
                                        << "abc xyz";
        QTest::newRow("full-width letters and digits") << "ＡＢｃ１２"
                                                       << "abc12";
        QTest::newRow("full-width punctuation") << "（ａ）＠"
                                                << "(a)@";
        QTest::newRow("full-width star and question mark stay") << "＊？"
                                                                << "＊？";
        QTest::newRow("ideographic space") << "a　b"
                                           << "a b";
        QTest::newRow("Latin letters beyond ASCII") << "ÉΣЖ"
                                                    << "éσж";
        QTest::newRow("katakana to hiragana") << "アイウヴヶ"
                                              << "あいうゔゖ";
        QTest::newRow("half-width katakana") << "ｱｲｳｧｯｰ"
                                             << "あいうぁっー";
        QTest::newRow("half-width voiced marks") << "ｶﾞｷﾞﾂﾞﾄﾞﾊﾞﾊﾟﾎﾟｳﾞ"
                                                 << "がぎづどばぱぽゔ";
        QTest::newRow("voiced mark after a kana without one") << "ｱﾞﾏﾟ"
                                                              << "あ゛ま゜";
        QTest::newRow("lone voiced marks") << "ﾞﾟ"
                                           << "゛゜";
        QTest::newRow("combining voiced mark") << QString::fromUtf8("か\u3099は\u309A") << "がぱ";
        QTest::newRow("half-width punctuation") << "｡｢｣､･"
                                                << "。「」、・";
        QTest::newRow("kanji, TAB and NUL unchanged")
            << QString::fromUtf8("山田\t\0x", 9) << QString::fromUtf8("山田\t\0x", 9);
        QTest::newRow("surrogate pair unchanged") << "𠮷"
                                                  << "𠮷";
    }
    void fold()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(foldForSearch(text), folded);
    }

    // The folded set gives the folded items and records, and the forgiving search finds what the
    // exact one misses; the exact search is unchanged beside it.
    void foldedRecords_data()
    {
        QTest::addColumn<int>("displayItem");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("exact");
        QTest::addColumn<QList<int>>("forgiving");
        // Records: 1 ABC|ア, 2 abc|ｱ, 3 ａｂｃ|あ, 4 x|ｶﾞ, 5 y|ガ
        QTest::newRow("case") << 1 << "abc" << QList<int> { 2 } << QList<int> { 1, 2, 3 };
        QTest::newRow("capital key") << 1 << "ABC" << QList<int> { 1 } << QList<int> { 1, 2, 3 };
        QTest::newRow("half-width kana key")
            << 2 << "ｱ" << QList<int> { 2 } << QList<int> { 1, 2, 3 };
        QTest::newRow("hiragana key") << 2 << "あ" << QList<int> { 3 } << QList<int> { 1, 2, 3 };
        QTest::newRow("voiced") << 2 << "ｶﾞ" << QList<int> { 4 } << QList<int> { 4, 5 };
        QTest::newRow("all items") << -1 << "cア" << QList<int> {} << QList<int> {};
        QTest::newRow("all items, across TAB")
            << -1 << "c\tあ" << QList<int> {} << QList<int> { 1, 2, 3 };
        QTest::newRow("empty key")
            << -1 << "" << QList<int> { 1, 2, 3, 4, 5 } << QList<int> { 1, 2, 3, 4, 5 };
    }
    void foldedRecords()
    {
        QFETCH(int, displayItem);
        QFETCH(QString, key);
        QFETCH(QList<int>, exact);
        QFETCH(QList<int>, forgiving);
        const DataSet data = DataSet::fromFileText(
            u"名前,読み\r\nABC,ア\r\nabc,ｱ\r\nａｂｃ,あ\r\nx,ｶﾞ\r\ny,ガ", 2);
        const FoldedDataSet folded(data);
        QCOMPARE(folded.recordCount(), 5);
        QCOMPARE(folded.item(1, 3).toString(), QStringLiteral("abc"));
        QCOMPARE(folded.item(2, 4).toString(), QStringLiteral("が"));
        QCOMPARE(folded.recordView(1).toString(), QStringLiteral("abc\tあ"));
        QVERIFY(folded.item(3, 1).isEmpty());
        const std::vector<int> e = searchRecords(data, displayItem, key);
        const std::vector<int> f = searchFoldedRecords(folded, displayItem, key);
        QCOMPARE(QList<int>(e.begin(), e.end()), exact);
        QCOMPARE(QList<int>(f.begin(), f.end()), forgiving);
    }

    void patterns_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("empty") << ""
                               << "*.CSV;*.txt";
        QTest::newRow("plain") << "abc"
                               << "*abc*.txt;*abc*.CSV";
        QTest::newRow("wildcards and separator kept") << "a?;b*"
                                                      << "*a?;b**.txt;*a?;b**.CSV";
        QTest::newRow("blank kept") << " "
                                    << "* *.txt;* *.CSV";
    }
    void patterns()
    {
        QFETCH(QString, key);
        QFETCH(QString, pattern);
        QCOMPARE(fileSearchPattern(key), pattern);
    }

    // Typing a key character by character and deleting it again gives at every step what a
    // search from scratch gives, with either match and in either view; a key that grows looks
    // only at the hits of the key before it, and a key seen before is not searched again.
    void incrementalSearchMatchesFullSearch_data()
    {
        QTest::addColumn<int>("displayItem");
        QTest::addColumn<bool>("forgiving");
        QTest::newRow("single item") << 1 << false;
        QTest::newRow("all items") << -1 << false;
        QTest::newRow("single item, forgiving") << 2 << true;
        QTest::newRow("all items, forgiving") << -1 << true;
    }
    void incrementalSearchMatchesFullSearch()
    {
        QFETCH(int, displayItem);
        QFETCH(bool, forgiving);
        QRandomGenerator random(17);
        const QString letters = QStringLiteral("abAｱアあｶﾞが\t");
        QString text = QStringLiteral("x,y");
        for (int r = 0; r < 3000; ++r) {
            text += QStringLiteral("\r\n");
            for (int k = 0; k < 2; ++k) {
                if (k > 0)
                    text += u',';
                const int length = int(random.bounded(6));
                for (int i = 0; i < length; ++i)
                    text += letters.at(random.bounded(int(letters.size()) - 1));
            }
        }
        const DataSet data = DataSet::fromFileText(text, 2);
        const FoldedDataSet folded(data);
        const auto full = [&](const QString& key) {
            return forgiving ? searchFoldedRecords(folded, displayItem, key)
                             : searchRecords(data, displayItem, key);
        };

        IncrementalSearch search;
        // Typed, a voiced mark after its kana among them, a TAB in the all-items view, deleted
        // from the end, then a key typed in the middle.
        const QStringList keys
            = { "a", "ab", "abA", "ab", "a", "", "ｶ", "ｶﾞ", "ｶﾞ\t", "ｶﾞ", "a", "xa", "xab" };
        std::size_t previousHits = std::size_t(data.recordCount());
        QString previous;
        for (const QString& key : keys) {
            const std::vector<int> hits = search.search(data, &folded, forgiving, displayItem, key);
            QCOMPARE(hits, full(key));
            // (A forgiving key narrows when its folded form holds the one before: "ｶ" folds to
            // "か", which "ｶﾞ", folded to "が", does not hold.)
            const auto form = [&](const QString& k) { return forgiving ? foldForSearch(k) : k; };
            if (!key.isEmpty() && !previous.isEmpty() && form(key).startsWith(form(previous))
                && key.size() > previous.size())
                QCOMPARE_LE(search.lastExamined(), qsizetype(previousHits));
            if (!key.isEmpty() && previous.startsWith(key) && previous != key)
                QCOMPARE(search.lastExamined(), 0); // seen before: not searched again
            previous = key;
            previousHits = hits.size();
        }
        // New data: nothing earlier is reused.
        search.clear();
        const DataSet other = DataSet::fromFileText(u"x,y\r\nab,ab", 2);
        QCOMPARE(search.search(other, nullptr, false, displayItem, u"ab"), std::vector<int> { 1 });
    }

    // Keys typed and deleted one character at a time, at random places, give at every step what
    // a plain scan gives: the records whose search text (one item, or all items joined by TAB)
    // holds the key, or every word of it. One search runs through every combination of the item
    // searched, the forgiving match and the search for several words, as the window's does when
    // its options change between keys.
    void incrementalSearchEqualsPlainScan()
    {
        QRandomGenerator random(22);
        const QString letters = QStringLiteral("abAｱアｶﾞが 　\t");
        constexpr int Items = 3;
        QString text = QStringLiteral("x,y,z");
        for (int r = 0; r < 1500; ++r) {
            text += QStringLiteral("\r\n");
            for (int k = 0; k < Items; ++k) {
                if (k > 0)
                    text += u',';
                const int length = int(random.bounded(6));
                for (int i = 0; i < length; ++i)
                    text += letters.at(random.bounded(int(letters.size()) - 1));
            }
        }
        const DataSet data = DataSet::fromFileText(text, Items);
        const FoldedDataSet folded(data);

        const auto plainScan
            = [&](int displayItem, bool forgiving, bool allWords, const QString& key) {
                  const QString wanted = forgiving ? foldForSearch(key) : key;
                  QStringList words { wanted };
                  if (allWords) {
                      words.clear();
                      QString word;
                      for (const QChar c : wanted + u' ') {
                          if (c == u' ' || c == QChar(0x3000) || c == u'\t') {
                              if (!word.isEmpty())
                                  words << word;
                              word.clear();
                          } else {
                              word += c;
                          }
                      }
                  }
                  std::vector<int> hits;
                  for (int r = 1; r <= data.recordCount(); ++r) {
                      QStringList items;
                      for (int k = 1; k <= Items; ++k) {
                          const QString item = data.itemString(k, r);
                          items << (forgiving ? foldForSearch(item) : item);
                      }
                      const QString searched
                          = displayItem == -1 ? items.join(u'\t') : items.value(displayItem - 1);
                      if (std::all_of(words.begin(), words.end(),
                              [&](const QString& w) { return searched.contains(w); }))
                          hits.push_back(r);
                  }
                  return hits;
              };

        IncrementalSearch search;
        for (int round = 0; round < 24; ++round) {
            const int displayItem = round % (Items + 1) == 0 ? -1 : round % (Items + 1);
            const bool forgiving = (round / (Items + 1)) % 2 == 1;
            const bool allWords = (round / (2 * (Items + 1))) % 2 == 1;
            QString key;
            for (int step = 0; step < 16; ++step) {
                const bool atEnd = random.bounded(4) != 0;
                if (key.isEmpty() || random.bounded(3) != 0) {
                    const int at = atEnd ? int(key.size()) : int(random.bounded(key.size() + 1));
                    key.insert(at, letters.at(random.bounded(int(letters.size()))));
                } else {
                    const int at = atEnd ? int(key.size()) - 1 : int(random.bounded(key.size()));
                    key.remove(at, 1);
                }
                const std::vector<int> hits = search.search(data, &folded, forgiving, displayItem,
                    key, allWords ? KeyWords::All : KeyWords::Whole);
                QVERIFY2(hits == plainScan(displayItem, forgiving, allWords, key),
                    qPrintable(QStringLiteral("item %1, forgiving %2, all words %3, key \"%4\"")
                            .arg(displayItem)
                            .arg(forgiving)
                            .arg(allWords)
                            .arg(key)));
            }
        }
        // A second word is looked for among the hits of the first; the first alone again is
        // not searched.
        search.clear();
        const std::size_t firstHits
            = search.search(data, nullptr, false, -1, u"ab ", KeyWords::All).size();
        search.search(data, nullptr, false, -1, u"ab a", KeyWords::All);
        QCOMPARE(search.lastExamined(), qsizetype(firstHits));
        search.search(data, nullptr, false, -1, u"ab", KeyWords::All);
        QCOMPARE(search.lastExamined(), 0);
    }
};

KORVANTA_CORE_TEST_MAIN(TestSearch)
#include "tst_search.moc"
