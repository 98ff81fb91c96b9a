#!/usr/bin/env python3
"""Write Korvanta's example data files.

All names, addresses and products are made up; mail and Web addresses use
the example.jp and example.com domains. Every file is Shift_JIS in its
Microsoft variant (code page 932, Python's 'cp932'), and every line, the
last one included, ends with CR LF.

    python3 examples/tools/make_examples.py           # write the files
    python3 examples/tools/make_examples.py --check   # verify them

--check verifies that each file is exactly what this script writes, decodes
as cp932 (strictly) and not also as UTF-8, has CR LF line ends and no lone
CR or LF, and that every record splits into as many items as its first line
(TAB and comma separate, a comma only outside double quotes).
"""

import argparse
import os
import sys
import unicodedata

EXAMPLES = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

CRLF = "\r\n"


def halfwidth_kana(text):
    """Full-width katakana to half-width (ヤマダ → ﾔﾏﾀﾞ), the way furigana
    columns are often typed on Japanese systems."""
    table = {}
    for code in range(0xFF61, 0xFFA0):
        ch = chr(code)
        table[unicodedata.normalize("NFKC", ch)] = ch
    marks = {"\u3099": "\uff9e", "\u309a": "\uff9f"}
    out = []
    for ch in text:
        if ch == " ":
            out.append(" ")
            continue
        decomposed = unicodedata.normalize("NFD", ch)
        base, rest = decomposed[0], decomposed[1:]
        if base not in table:
            raise ValueError("no half-width form for %r" % ch)
        out.append(table[base] + "".join(marks[m] for m in rest))
    return "".join(out)


def csv_field(text):
    """Quotes a field that holds a comma or a double quote; a double quote
    inside is doubled."""
    if "\t" in text or "\r" in text or "\n" in text:
        raise ValueError("field holds a TAB or a line break: %r" % text)
    if "," in text or '"' in text:
        return '"' + text.replace('"', '""') + '"'
    return text


def csv_lines(rows):
    return [",".join(csv_field(f) for f in row) for row in rows]


def tab_lines(rows):
    for row in rows:
        for f in row:
            # in a TAB file a comma still separates and quotes vanish, so
            # the texts use the Japanese comma 、 and 「」 instead
            if any(c in f for c in '\t,"\r\n'):
                raise ValueError("field unfit for a TAB file: %r" % f)
    return ["\t".join(row) for row in rows]


# ------------------------------------------------------------------ staff.csv

STAFF = [
    # surname, reading, romaji, given name, reading
    ("山田", "ヤマダ", "yamada", "太郎", "タロウ"),
    ("佐藤", "サトウ", "sato", "花子", "ハナコ"),
    ("鈴木", "スズキ", "suzuki", "一郎", "イチロウ"),
    ("高橋", "タカハシ", "takahashi", "美咲", "ミサキ"),
    ("田中", "タナカ", "tanaka", "健太", "ケンタ"),
    ("伊藤", "イトウ", "ito", "由美", "ユミ"),
    ("渡辺", "ワタナベ", "watanabe", "翔", "ショウ"),
    ("中村", "ナカムラ", "nakamura", "直子", "ナオコ"),
    ("小林", "コバヤシ", "kobayashi", "大輔", "ダイスケ"),
    ("加藤", "カトウ", "kato", "愛", "アイ"),
    ("吉田", "ヨシダ", "yoshida", "拓也", "タクヤ"),
    ("山本", "ヤマモト", "yamamoto", "恵子", "ケイコ"),
    ("松本", "マツモト", "matsumoto", "亮", "リョウ"),
    ("井上", "イノウエ", "inoue", "真理子", "マリコ"),
    ("木村", "キムラ", "kimura", "修", "オサム"),
    ("林", "ハヤシ", "hayashi", "千尋", "チヒロ"),
    ("清水", "シミズ", "shimizu", "誠", "マコト"),
    ("森", "モリ", "mori", "陽菜", "ヒナ"),
    ("池田", "イケダ", "ikeda", "浩二", "コウジ"),
    ("橋本", "ハシモト", "hashimoto", "葵", "アオイ"),
    ("石川", "イシカワ", "ishikawa", "剛", "ツヨシ"),
    ("前田", "マエダ", "maeda", "さくら", "サクラ"),
    ("藤田", "フジタ", "fujita", "隆", "タカシ"),
    ("岡田", "オカダ", "okada", "舞", "マイ"),
    ("後藤", "ゴトウ", "goto", "悠人", "ユウト"),
    ("長谷川", "ハセガワ", "hasegawa", "智子", "トモコ"),
    ("村上", "ムラカミ", "murakami", "学", "マナブ"),
    ("近藤", "コンドウ", "kondo", "結衣", "ユイ"),
    ("坂本", "サカモト", "sakamoto", "徹", "トオル"),
    ("遠藤", "エンドウ", "endo", "美穂", "ミホ"),
]

DEPARTMENTS = ["総務部", "営業部", "開発部", "経理部", "企画室", "品質管理課", "ソフト開発部", "海外営業推進部"]

# notes by record index: commas inside a field, doubled quotes, and
# characters whose second Shift_JIS byte is 0x5C (表, ソ, 能, 十)
STAFF_NOTES = {
    0: "東京,大阪を兼務",
    2: '愛称は"すーさん"',
    4: "月,水,金のみ在席",
    6: '"至急"の連絡は携帯へ',
    8: "表計算の相談窓口",
    10: "ソフト開発チームと兼任",
    12: "能登営業所へ出張中",
    15: "十日まで休暇",
    18: '資料は「共有」フォルダー, "最新版"を参照',
    21: "新人研修の担当",
    24: "第①会議室に常駐",
    27: "9時～15時の時短勤務",
}

# home pages by record index; one with the secure scheme and one in capitals
STAFF_PAGES = {
    0: "http://www.example.jp/staff/yamada/",
    3: "http://www.example.jp/staff/takahashi/",
    5: "http://example.com/~ito/",
    9: "http://www.example.jp/kikaku/kato.html",
    13: "https://www.example.com/inoue/",
    16: "HTTP://WWW.EXAMPLE.JP/STAFF/SHIMIZU/",
    20: "http://www.example.jp/staff/ishikawa/",
    25: "http://www.example.com/hasegawa/index.html",
}


def staff_rows():
    rows = [["氏名", halfwidth_kana("フリガナ"), "部署", "内線", "電話番号", "メールアドレス", "ホームページ", "備考"]]
    for i, (sur, sur_kana, romaji, given, given_kana) in enumerate(STAFF):
        if i % 7 == 6:
            mail = ""
        elif i % 5 == 4:
            mail = "%s@example.com" % romaji
        else:
            mail = "%s@example.jp" % romaji
        rows.append([
            "%s %s" % (sur, given),
            halfwidth_kana("%s %s" % (sur_kana, given_kana)),
            DEPARTMENTS[(i * 3) % len(DEPARTMENTS)],
            "%d" % (2100 + i * 7),
            "03-5555-%04d" % (101 + i),
            mail,
            STAFF_PAGES.get(i, ""),
            STAFF_NOTES.get(i, ""),
        ])
    return rows


# --------------------------------------------------------------- products.CSV

PRODUCTS = [
    # code, name, category, price, stock, note
    ("A-1001", "ボールペン 黒 0.5mm", "筆記具", "120", "350", ""),
    ("A-1002", "ボールペン 赤 0.5mm", "筆記具", "120", "210", ""),
    ("A-1003", halfwidth_kana("シャープペンシル") + " 0.3mm", "筆記具", "380", "95", ""),
    ("A-1010", "万年筆 細字", "筆記具", "12,800", "8", "ギフト箱入り"),
    ("B-2001", "ノート A5 30枚", "紙製品", "150", "500", "5冊以上で割引"),
    ("B-2002", "方眼ノート B5", "紙製品", "220", "0", "入荷待ち"),
    ("B-2010", "ルーズリーフ B5 100枚", "紙製品", "280", "120", ""),
    ("C-3001", "ファイルボックス", "収納", "1,280", "40", "色: 白,黒,灰"),
    ("C-3002", "書類ソフトケース A4", "収納", "680", "75", ""),
    ("C-3005", "引き出し収納 3段", "収納", "3,980", "12", "組立式"),
    ("C-3010", "収納棚 Ⅱ型", "収納", "15,800", "3", "棚板①～③は別売"),
    ("D-4001", "卓上ライト 表示灯付き", "照明", "4,580", "18", ""),
    ("D-4002", "高機能デスクライト", "照明", "12,000", "6", '"省エネ"モデル'),
    ("E-5001", "作業用Tシャツ", "衣料", "1,980", "64", "サイズ S～LL"),
    ("E-5002", halfwidth_kana("サギョウヨウ テブクロ"), "衣料", "450", "230", "サイズ M～L"),
    ("F-6001", "知育パズル", "玩具", "2,480", "22", "対象年齢 3～6歳"),
    ("F-6002", "積み木セット", "玩具", "3,200", "15", "①～⑤の5色"),
    ("F-6003", "木製レール 基本セット", "玩具", "5,600", "0", "販売終了"),
    ("G-7001", "業務用シュレッダー", "事務機器", "128,000", "2", "取寄せ品（㈱見本商会）"),
    ("G-7002", "電卓 12桁", "事務機器", "1,050", "48", ""),
]


def product_rows():
    rows = [["商品コード", "商品名", "分類", "単価", "在庫数", "備考"]]
    rows.extend(list(p) for p in PRODUCTS)
    return rows


# --------------------------------------------------------------- glossary.txt

GLOSSARY = [
    ("書き出し", "かきだし", "いつもお世話になっております。", "メール"),
    ("初回", "しょかい", "初めてご連絡いたします。", "メール"),
    ("お礼", "おれい", "先日はありがとうございました。", "メール"),
    ("受領", "じゅりょう", "資料を確かに受け取りました。", "メール"),
    ("確認依頼", "かくにんいらい", "お手数ですが、ご確認をお願いいたします。", "メール"),
    ("返信依頼", "へんしんいらい", "恐れ入りますが、○日までにご返信ください。", "メール"),
    ("添付", "てんぷ", "詳細は添付の資料をご覧ください。", "メール"),
    ("お詫び", "おわび", "ご迷惑をおかけして申し訳ございません。", "メール"),
    ("催促", "さいそく", "先日お送りした件、その後いかがでしょうか。", "メール"),
    ("日程調整", "にっていちょうせい", "ご都合のよい日時をお知らせください。", "打合せ"),
    ("日程確定", "にっていかくてい", "では、○月○日 10時～11時でお願いいたします。", "打合せ"),
    ("変更", "へんこう", "誠に勝手ながら、日程を変更させてください。", "打合せ"),
    ("不在", "ふざい", "あいにく担当者は席を外しております。", "電話"),
    ("折返し", "おりかえし", "戻り次第、折り返しお電話いたします。", "電話"),
    ("伝言", "でんごん", "よろしければご伝言を承ります。", "電話"),
    ("聞き返し", "ききかえし", "恐れ入りますが、もう一度お願いできますか。", "電話"),
    ("締め", "しめ", "今後ともよろしくお願いいたします。", "メール"),
    ("季節", "きせつ", "寒い日が続きますが、ご自愛ください。", "手紙"),
    ("年末", "ねんまつ", "本年も大変お世話になりました。", "手紙"),
    ("年始", "ねんし", "本年もどうぞよろしくお願い申し上げます。", "手紙"),
    ("営業時間", "えいぎょうじかん", "受付は平日9時～17時です。", "案内"),
]


def glossary_rows():
    rows = [["見出し", "よみ", "定型文", "場面"]]
    rows.extend(list(g) for g in GLOSSARY)
    return rows


# ------------------------------------------------------------ single-item.csv

COLOURS = ["藍色", "茜色", "浅葱色", "萌黄色", "山吹色", "若草色", "群青色", "鴇色", "鶯色", "朱色",
           "紺色", "瑠璃色", "琥珀色", "珊瑚色", "桜色", "若竹色", "小豆色", "鉛色", "生成り色", "白磁"]


def single_item_rows():
    return [["色名"]] + [[c] for c in COLOURS]


# ------------------------------------------------------------------- the set


def build():
    """{file name: bytes}."""
    files = {}

    def text(lines):
        return "".join(line + CRLF for line in lines).encode("cp932")

    files["staff.csv"] = text(csv_lines(staff_rows()))
    files["products.CSV"] = text(csv_lines(product_rows()))
    files["glossary.txt"] = text(tab_lines(glossary_rows()))
    files["single-item.csv"] = text(csv_lines(single_item_rows()))
    files["empty.csv"] = b""
    return files


def split_items(line):
    """Items of one line: TAB always separates, a comma only outside double
    quotes; quotes switch the quoted state and are dropped."""
    items, current, quoted = [], [], False
    for ch in line:
        if ch == '"':
            quoted = not quoted
        elif ch == "\t" or (ch == "," and not quoted):
            items.append("".join(current))
            current = []
        else:
            current.append(ch)
    items.append("".join(current))
    return items


def check(folder):
    problems = []
    expected = build()
    for name, data in sorted(expected.items()):
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            problems.append("%s: missing" % name)
            continue
        with open(path, "rb") as f:
            raw = f.read()
        if raw != data:
            problems.append("%s: differs from what make_examples.py writes" % name)
        if not data:
            if raw:
                problems.append("%s: should be empty (0 bytes)" % name)
            continue
        if not raw:
            problems.append("%s: empty" % name)
            continue
        try:
            text = raw.decode("cp932", errors="strict")
        except UnicodeDecodeError as e:
            problems.append("%s: not cp932 (%s)" % (name, e))
            continue
        if raw.startswith(b"\xef\xbb\xbf"):
            problems.append("%s: has a byte order mark" % name)
        try:
            raw.decode("utf-8")
            # the viewer takes valid UTF-8 with multi-byte sequences for UTF-8
            if any(b >= 0x80 for b in raw):
                problems.append("%s: also valid UTF-8, would not be read as Shift_JIS" % name)
        except UnicodeDecodeError:
            pass
        if not text.endswith(CRLF):
            problems.append("%s: last line does not end with CR LF" % name)
        stripped = text.replace(CRLF, "")
        if "\r" in stripped or "\n" in stripped:
            problems.append("%s: lone CR or LF" % name)
        lines = text.split(CRLF)[:-1]
        if not lines:
            continue
        width = len(split_items(lines[0]))
        for n, line in enumerate(lines[1:], start=2):
            got = len(split_items(line))
            if got != width:
                problems.append("%s line %d: %d items, the first line has %d" % (name, n, got, width))
    # the two characters that only the Microsoft variant maps
    products = expected["products.CSV"]
    for ch, code in (("\uff5e", b"\x81\x60"), ("\u2460", b"\x87\x40")):
        if code not in products or ch not in products.decode("cp932"):
            problems.append("products.CSV: %r (%s) missing" % (ch, code.hex()))
    for p in problems:
        print("FAIL " + p)
    print("checked %d example files: %s" % (len(expected), "%d problem(s)" % len(problems) if problems else "all fine"))
    return not problems


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=EXAMPLES, help="examples folder (default: %(default)s)")
    parser.add_argument("--check", action="store_true", help="only verify the files")
    args = parser.parse_args(argv)
    if args.check:
        return 0 if check(args.out) else 1
    for name, data in sorted(build().items()):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (name, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
