#include "settings/settingkeys.h"

#include <array>

namespace korvanta {

QString historyKey(int index)
{
    return QString::number(index);
}

std::span<const SettingKey> allSettingKeys()
{
    static constexpr std::array keys {
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
    };
    return keys;
}

} // namespace korvanta
