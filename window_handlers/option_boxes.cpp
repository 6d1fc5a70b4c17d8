// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_handlers/option_boxes.h"

#include "base/settings_store.h"
#include "decoder/decoder_options.h"
#include "decoder/decoder_view.h"

namespace vexo {

namespace {

bool& OptionIn(DecoderOptions& options, DecoderOption option)
{
    switch (option) {
    case DecoderOption::JoinAtOnce: return options.joinAtOnce;
    case DecoderOption::DeleteAfterDecoding: return options.deleteAfterDecoding;
    case DecoderOption::OpenFolderAfter: return options.openFolderAfter;
    case DecoderOption::DecodeArrivals: return options.decodeArrivals;
    }
    return options.joinAtOnce;
}

const SettingKey& KeyOf(DecoderOption option)
{
    switch (option) {
    case DecoderOption::JoinAtOnce: return settings::kJoinAtOnce;
    case DecoderOption::DeleteAfterDecoding: return settings::kDeleteAfterDecoding;
    case DecoderOption::OpenFolderAfter: return settings::kOpenFolderAfter;
    case DecoderOption::DecodeArrivals: return settings::kDecodeArrivals;
    }
    return settings::kJoinAtOnce;
}

} // namespace

void SetDecoderOption(DecoderOptions& options, SettingsStore& settings, DecoderView& view, DecoderOption option,
                      bool on)
{
    bool& value = OptionIn(options, option);
    if (value == on)
        return;
    value = on;
    view.showOptions(options);
    settings.writeBool(KeyOf(option), on);
}

} // namespace vexo
