#include "settings/settingkeys.h"

namespace korvanta {

QString historyKey(int index)
{
    return QString::number(index);
}

std::span<const AnySettingKey> allSettingKeys()
{
    static constexpr auto all = std::to_array<AnySettingKey>({
        // Tool, the options in the order the closing sequence writes them
        keys::Dir1V,
        keys::Temae,
        keys::NoCopy,
        keys::ScrollBerSetei,
        keys::KensakuKaisi,
        keys::PuHyoujiSet,
        keys::SentakuDataKiroku,
        keys::WebJyunkai,
        keys::WebDblClickOpen,
        keys::AimaiKensaku,
        keys::GyouSeigenNashi,
        keys::AndKensaku,
        keys::JidouSaiyomi,
        keys::FilePath,
        keys::FileListIndex,
        // Position
        keys::Top,
        keys::Left,
        keys::Height,
        keys::Width,
        keys::Dir1Height,
        keys::ViewFormHight,
        keys::ViewFormWidth,
        // RirekiFileKey
        keys::StrFileKey,
    });
    return all;
}

std::span<const AnyFileSettingKey> allFileSettingKeys()
{
    static constexpr auto all = std::to_array<AnyFileSettingKey>({
        keys::SentakuKoumokuNo,
        keys::KoumokuHyoujiNo,
        keys::DataListIndex,
        keys::KoumokuHaba,
        keys::KensakuKoumoku,
        keys::MojiCode,
        keys::History[0],
        keys::History[1],
        keys::History[2],
        keys::History[3],
        keys::History[4],
        keys::History[5],
        keys::History[6],
        keys::History[7],
    });
    static_assert(all.size() == 6 + keys::History.size());
    return all;
}

} // namespace korvanta
