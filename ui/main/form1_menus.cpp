// The menus of the main window, built from one table per menu that mirrors the menus entry by
// entry: name, caption, shortcut, design state and command. The options among them are rows of
// the option table, which also holds their settings keys; a menu table only gives their place.

#include "ui/main/form1.h"
#include "ui/main/options.h"

#include "ui/main/form1texts.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace korvanta {

namespace {

    // Captions that two entries share: the file manager in the file menu and in the folder
    // tree's popup; the item chooser's title and its design-time first entry.
    constexpr const char* ExplorerCaption = "ｴｸｽﾌﾟﾛｰﾗｰ起動";
    constexpr const char* BikouCaption = "備考";

    // The options, in the order of the Tool section.
    const OptionEntry OptionEntries[] = {
        { { &Form1::Dir1OpenClose, "Dir1OpenClose", "ﾌｫﾙﾀﾞｰ窓の表示", "", Checkable,
              &Form1::Dir1OpenClose_Click },
            keys::Dir1V, OnLoad::RunCommand, 2 },
        { { &Form1::Temae, "Temae", "常に手前に表示する", "F4", Checkable, &Form1::Temae_Click },
            keys::Temae, OnLoad::RunCommand, 1 },
        { { &Form1::NoCopy, "NoCopy", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞに、ｺﾋﾟｰしない", "", Checkable,
              &Form1::NoCopy_Click },
            keys::NoCopy, OnLoad::RunCommand, 3 },
        { { &Form1::ScrollBerSetei, "ScrollBerSetei", "水平ｽｸﾛｰﾙﾊﾞｰを表示する", "",
              Disabled | Checkable, &Form1::ScrollBerSetei_Click },
            keys::ScrollBerSetei, OnLoad::SetMark, 4 },
        { { &Form1::KensakuKaisi, "KensakuKaisi", "Shift + ﾘﾀｰﾝｷｰ で検索を開始する", "", Checkable,
              &Form1::KensakuKaisi_Click },
            keys::KensakuKaisi, OnLoad::SetMark, 4 },
        { { &Form1::PuHyoujiSet, "PuHyoujiSet", "ﾘｽﾄｸﾘｯｸ時、ﾃﾞｰﾀｰを表示する(&A)", "", Checkable,
              &Form1::PuHyoujiSet_Click },
            keys::PuHyoujiSet, OnLoad::SetMark, 4 },
        { { &Form1::SentakuDataKiroku, "SentakuDataKiroku", "選択・位置を記憶する", "", Checked,
              &Form1::SentakuDataKiroku_Click },
            keys::SentakuDataKiroku, OnLoad::SetMark, 4 },
        { { &Form1::WebJyunkai, "WebJyunkai", "Webを巡回する", "", Checked,
              &Form1::WebJyunkai_Click },
            keys::WebJyunkai, OnLoad::SetMark, 4 },
        { { &Form1::WebDblClickOpen, "WebDblClickOpen", "ﾀﾞﾌﾞﾙｸﾘｯｸでWebを開く", "", Checked,
              &Form1::WebDblClickOpen_Click },
            keys::WebDblClickOpen, OnLoad::SetMark, 4 },
        { { &Form1::AimaiKensaku, "AimaiKensaku",
              "あいまい検索(英大小・全半角・ｶﾅかなを区別しない)", "", Checkable,
              &Form1::AimaiKensaku_Click },
            keys::AimaiKensaku, OnLoad::SetMark, 4 },
        { { &Form1::GyouSeigenNashi, "GyouSeigenNashi", "32,735行を超えるﾃﾞｰﾀｰも全て表示する", "",
              Checkable, &Form1::GyouSeigenNashi_Click },
            keys::GyouSeigenNashi, OnLoad::SetMark, 4 },
        { { &Form1::AndKensaku, "AndKensaku", "空白で区切ったｷｰを全て含むﾃﾞｰﾀｰを検索する", "",
              Checkable, &Form1::AndKensaku_Click },
            keys::AndKensaku, OnLoad::SetMark, 4 },
        { { &Form1::JidouSaiyomi, "JidouSaiyomi", "ﾌｧｲﾙが更新されたら、自動で読み直す", "",
              Checkable, &Form1::JidouSaiyomi_Click },
            keys::JidouSaiyomi, OnLoad::SetMark, 4 },
    };

    const MenuEntry& optionEntry(QAction* Form1::* action)
    {
        const auto found = std::find_if(std::begin(OptionEntries), std::end(OptionEntries),
            [action](const OptionEntry& option) { return option.entry.action == action; });
        if (found == std::end(OptionEntries))
            qFatal("A menu places an option that the option table lacks");
        return found->entry;
    }

#define KV_SEP(n) { &Form1::n, #n, "-", "", Separator, nullptr }
#define KV_OPTION(n) { &Form1::n, nullptr, nullptr, nullptr, Option, nullptr }

    const MenuEntry FileMenyuEntries[] = {
        { &Form1::Kirikae, "Kirikae", "⇔ ﾃﾞｰﾀｰの切替(&K)", "F2", Disabled, &Form1::Kirikae_Click },
        { &Form1::FilemadoRefresh, "FilemadoRefresh", "最新のﾌｧｲﾙﾘｽﾄに更新", "", Plain,
            &Form1::FilemadoRefresh_Click },
        KV_SEP(ZZ1),
        KV_OPTION(Dir1OpenClose),
        { &Form1::Fopen, "Fopen", "ﾌｫﾙﾀﾞの参照(&O)", "Ctrl+O", Plain, &Form1::Fopen_Click },
        KV_SEP(ZZ2),
        { &Form1::FileHensyu, "FileHensyu", "ﾌｧｲﾙの編集(&H)", "F5", Disabled,
            &Form1::FileHensyu_Click },
        { &Form1::Jyouhou, "Jyouhou", "ﾌｧｲﾙの情報(&J)", "", Disabled, &Form1::Jyouhou_Click },
        { &Form1::ExploerKidou, "ExploerKidou", ExplorerCaption, "", Plain,
            &Form1::ExploerKidou_Click },
        KV_SEP(ZZ3),
        { &Form1::Owari, "Owari", "終了(&X)", "", Plain, &Form1::Owari_Click },
    };

    const MenuEntry ToolMnEntries[] = {
        { &Form1::Narabikae2, "Narabikae2", "△ 降順で並べ替え", "", Disabled,
            &Form1::Narabikae2_Click },
        { &Form1::Narabikae, "Narabikae", "▽ 昇順で並べ替え", "", Disabled,
            &Form1::Narabikae_Click },
        KV_SEP(ZZ4),
        { &Form1::DataSaiinput, "DataSaiinput", ReListCaption, "", Disabled,
            &Form1::DataSaiinput_Click },
        { &Form1::ToDeFaultFolder, "ToDeFaultFolder", "ﾃﾞﾌｫﾙﾄﾌｫﾙﾀﾞｰに戻る(&M)", "", Plain,
            &Form1::ToDeFaultFolder_Click },
        KV_SEP(ZZ5),
        { &Form1::RirekiSakujyo, "RirekiSakujyo", "検索ｷｰの履歴を削除する", "", Plain,
            &Form1::RirekiSakujyo_Click },
        { &Form1::RirekiAllSakujyo, "RirekiAllSakujyo", "全ての検索ｷｰ履歴・設定を削除する", "",
            Plain, &Form1::RirekiAllSakujyo_Click },
        KV_SEP(ZZ8),
        { &Form1::Help, "Help", "ﾍﾙﾌﾟ ", "F1", Plain, &Form1::Help_Click },
        { &Form1::VJ, "VJ", "ﾊﾞｰｼﾞｮﾝ情報", "", Plain, &Form1::VJ_Click },
    };

    const MenuEntry ToolMenyuEntries[] = {
        KV_OPTION(NoCopy),
        KV_OPTION(ScrollBerSetei),
        KV_SEP(ZZ6),
        KV_OPTION(SentakuDataKiroku),
        KV_OPTION(KensakuKaisi),
        KV_OPTION(AimaiKensaku),
        KV_OPTION(GyouSeigenNashi),
        KV_OPTION(AndKensaku),
        KV_OPTION(JidouSaiyomi),
        KV_SEP(ZZ7),
        KV_OPTION(Temae),
        KV_OPTION(PuHyoujiSet),
        KV_SEP(ZZ11),
        KV_OPTION(WebJyunkai),
        KV_OPTION(WebDblClickOpen),
    };

    const MenuEntry BikouMenuEntries[] = {
        { &Form1::Bikou1, "Bikou(1)", BikouCaption, "", Plain, &Form1::Bikou1_Click },
        KV_SEP(ZZ9),
        { &Form1::ZenDataHyouji, "ZenDataHyouji", "全項目ﾃﾞｰﾀｰ", "", Plain,
            &Form1::ZenDataHyouji_Click },
        KV_SEP(ZZ10),
        { &Form1::PuFileHensyu, "PuFileHensyu", "ﾌｧｲﾙの編集", "", Plain,
            &Form1::PuFileHensyu_Click },
    };

    // The popup of a column header of the all-items view.
    const MenuEntry KoumokuMenuEntries[] = {
        { &Form1::KoumokuKensaku, "KoumokuKensaku", "この項目だけを検索する", "", Checkable,
            &Form1::KoumokuKensaku_Click },
    };

    const MenuEntry DirMenuEntries[] = {
        { &Form1::PuToDeFaultFolder, "PuToDeFaultFolder", "ﾃﾞﾌｫﾙﾄﾌｫﾙﾀﾞｰに戻る", "", Plain,
            &Form1::PuToDeFaultFolder_Click },
        { &Form1::PuExploerKidou, "PuExploerKidou", ExplorerCaption, "", Plain,
            &Form1::PuExploerKidou_Click },
    };

#undef KV_SEP
#undef KV_OPTION

} // namespace

std::span<const OptionEntry> optionTable()
{
    return OptionEntries;
}

QMenu* Form1::buildMenu(const char* name, const QString& title, const MenuEntry* entries, int count)
{
    auto* menu = new QMenu(title, this);
    menu->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < count; ++i) {
        const MenuEntry& e
            = entries[i].flags & Option ? optionEntry(entries[i].action) : entries[i];
        QAction* action = nullptr;
        if (e.flags & Separator) {
            action = menu->addSeparator();
        } else {
            action = menu->addAction(QString::fromUtf8(e.caption));
            if (*e.shortcut) {
                action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
                // Shortcuts act even while their menu is closed; popups are never on the menu
                // bar, so their entries are also added to the window.
                addAction(action);
            }
            action->setEnabled(!(e.flags & Disabled));
            action->setCheckable(e.flags & Checkable);
            action->setChecked((e.flags & Checked) == Checked);
        }
        action->setObjectName(QString::fromLatin1(e.name));
        this->*(e.action) = action;
        if (e.handler) {
            const auto handler = e.handler;
            const bool checkable = e.flags & Checkable;
            connect(action, &QAction::triggered, this, [this, action, handler, checkable] {
                // The command turns its own check mark over; undo the toggle Qt already made.
                if (checkable) {
                    const QSignalBlocker block(action);
                    action->setChecked(!action->isChecked());
                }
                (this->*handler)();
            });
        }
    }
    return menu;
}

void Form1::createMenus()
{
    FileMenyu = buildMenu("FileMenyu", QStringLiteral("ﾌｧｲﾙ(&F)"), FileMenyuEntries,
        int(std::size(FileMenyuEntries)));
    ToolMn = buildMenu(
        "ToolMn", QStringLiteral("ﾃﾞｰﾀ(&D)"), ToolMnEntries, int(std::size(ToolMnEntries)));
    ToolMenyu = buildMenu(
        "ToolMenyu", QStringLiteral("ﾂｰﾙ"), ToolMenyuEntries, int(std::size(ToolMenyuEntries)));
    BikouMenu = buildMenu("BikouMenu", QString::fromUtf8(BikouCaption), BikouMenuEntries,
        int(std::size(BikouMenuEntries)));
    DirMenu = buildMenu(
        "DirMenu", QStringLiteral("DirMenu"), DirMenuEntries, int(std::size(DirMenuEntries)));
    KoumokuMenu = buildMenu("KoumokuMenu", QStringLiteral("KoumokuMenu"), KoumokuMenuEntries,
        int(std::size(KoumokuMenuEntries)));

    menuBar()->addMenu(FileMenyu);
    menuBar()->addMenu(ToolMn);

    // Opening a top menu runs its own handler first.
    connect(FileMenyu, &QMenu::aboutToShow, this, &Form1::FileMenyu_Click);
    connect(ToolMn, &QMenu::aboutToShow, this, &Form1::ToolMn_Click);
    createEncodingMenu();
}

} // namespace korvanta
