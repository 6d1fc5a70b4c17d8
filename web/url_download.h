// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

class Dialogs;
class DownloaderView;
class WorkingFolder;

// The name a fetched address is saved under: its last path segment,
// percent-decoded, without query or fragment, made safe as every name from
// outside is (NameFromOutside); "index.html" when that is empty or no
// plain file name.
std::string UrlFileName(const std::string& url);

// `name` in `folder`, or, when that is taken, "stem (2).ext", "stem (3).ext"
// and so on: a manual download never replaces a file.
std::string FreeFilePath(const std::string& folder, const std::string& name);

// "Download" on the hidden tab: fetches the typed address into the working
// folder with the downloader's fetch, keeping the window alive meanwhile.
// Throws with the text for the user when there is no address or the fetch
// fails; nothing is left behind then.
void DownloadTypedAddress(const WorkingFolder& workingFolder, const std::string& typed, DownloaderView& view,
                          Dialogs& dialogs);

} // namespace vexo
