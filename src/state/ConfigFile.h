// The 100-line configuration format of "router1.cfg" and of the TFTP copy
// files: line k holds slot k, the slot number in a 14-column print zone (a
// blank, the digits, blanks up to column 14), then the slot's text, or the
// marker "-=-" for an empty slot. Every line ends with CR LF.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "state/ConfigSlots.h"

namespace pellix {

inline constexpr std::string_view kEmptySlotMarker = "-=-";
inline constexpr int kConfigLines = kLastSlot;

using SavedSlots = std::array<std::string, kConfigLines>;  // slots 1 to 100

std::string WriteConfigText(const ConfigSlotTable& slots);

// The texts of slots 1 to 100, or nothing when the text holds fewer than 100
// lines. Lines end at LF; a CR before the LF is dropped.
std::optional<SavedSlots> ReadConfigText(std::string_view text);

// One line's slot text.
std::string ReadConfigLine(std::string_view line);

// Puts loaded texts into slots 1 to 100.
void StoreSavedSlots(ConfigSlotTable& slots, SavedSlots&& saved);

}  // namespace pellix
