#include "ExpressionText.h"

#include "face/FapDefinitions.h"

#include <array>
#include <fstream>

namespace {

constexpr std::array<const char*, kFapCount> kFapLabels = {
    "viseme", "expression", "open_jaw", "lower_t_midlip", "raise_b_midlip", "stretch_l_cornerlip",
    "stretch_r_cornerlip", "lower_t_lip_lm", "lower_t_lip_rm", "raise_b_lip_lm", "raise_b_lip_rm",
    "raise_l_cornerlip", "raise_r_cornerlip", "thrust_jaw", "shift_jaw", "push_b_lip", "push_t_lip",
    "depress_chin", "close_t_l_eyelid", "close_t_r_eyelid", "close_b_l_eyelid", "close_b_r_eyelid",
    "yaw_l_eyeball", "yaw_r_eyeball", "pitch_l_eyeball", "pitch_r_eyeball", "thrust_l_eyeball",
    "thrust_r_eyeball", "dilate_l_pupil", "dilate_r_pupil", "raise_l_i_eyebrow", "raise_r_i_eyebrow",
    "raise_l_m_eyebrow", "raise_r_m_eyebrow", "raise_l_o_eyebrow", "raise_r_o_eyebrow",
    "squeeze_l_eyebrow", "squeeze_r_eyebrow", "puff_l_cheek", "puff_r_cheek", "lift_l_cheek",
    "lift_r_cheek", "shift_tongue_tip", "raise_tongue_tip", "thrust_tongue_tip", "raise_tongue",
    "tongue_roll", "head_pitch", "head_yaw", "head_roll", "lower_t_midlip_o", "raise_b_midlip_o",
    "stretch_l_cornerlip_o", "stretch_r_cornerlip_o", "lower_t_lip_lm_o", "lower_t_lip_rm_o",
    "raise_b_lip_lm_o", "raise_b_lip_rm_o", "raise_l_cornerlip_o", "raise_r_cornerlip_o",
    "stretch_l_nose", "stretch_r_nose", "raise_nose", "bend_nose", "raise_l_ear", "raise_r_ear",
    "pull_l_ear", "pull_r_ear"};

constexpr std::array<const char*, 7> kUnitLabels = {"none", "IRISD", "ES", "ENS", "MNS", "MW", "AU"};

} // namespace

const char* fapLabel(int fapIndex)
{
    if (fapIndex < 0 || fapIndex >= kFapCount)
        return "unused";
    return kFapLabels[static_cast<size_t>(fapIndex)];
}

const char* fapUnitLabel(int fapIndex)
{
    const int unit = fapUnit(fapIndex);
    if (unit < 0 || unit >= static_cast<int>(kUnitLabels.size()))
        return "none";
    return kUnitLabels[static_cast<size_t>(unit)];
}

std::string expressionText(const FapRow& row)
{
    std::string text;
    for (int i = 0; i < kFapCount; ++i) {
        text += fapLabel(i);
        text += ' ';
        text += fapUnitLabel(i);
        text += ' ';
        text += std::to_string(row[static_cast<size_t>(i)]);
        text += '\n';
    }
    return text;
}

int writeExpressionFile(const std::filesystem::path& path, const FapRow& row)
{
    std::filesystem::path partial = path;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << expressionText(row);
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            return 0;
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::filesystem::remove(partial, error);
        return 0;
    }
    return 1;
}
