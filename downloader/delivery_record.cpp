// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/delivery_record.h"

#include <utility>

namespace vexo {

namespace {

std::string ListedFileKey(const ServerFile& file)
{
    return file.fileName + "\n" + file.url;
}

} // namespace

bool DeliveryRecord::waits(const ServerFile& file, Clock::time_point now) const
{
    return retries_.waits(ListedFileKey(file), now);
}

bool DeliveryRecord::failedBefore(const ServerFile& file) const
{
    return retries_.failedBefore(ListedFileKey(file));
}

bool DeliveryRecord::arrivedWhole(const ServerFile& file) const
{
    return arrivedFiles_.contains(ListedFileKey(file));
}

void DeliveryRecord::arrived(TaskId download, const ServerFile& file)
{
    const std::string key = ListedFileKey(file);
    retries_.forget(key);
    arrivedFiles_.insert(key);
    arrivedDownloads_.insert(download);
}

void DeliveryRecord::forgetUnlisted(const ServerFiles& listed)
{
    std::set<std::string> stillListed;
    for (int i = 1; i <= listed.serverFileCount(); ++i) {
        const std::string key = ListedFileKey(listed.at(i));
        if (arrivedFiles_.contains(key))
            stillListed.insert(key);
    }
    arrivedFiles_ = std::move(stillListed);
}

void DeliveryRecord::failed(const ServerFile& file, Clock::time_point now)
{
    retries_.recordFailure(ListedFileKey(file), now);
}

bool DeliveryRecord::takeRemoval(const RemovalWork& removal)
{
    if (removal.download == kNoTask)
        return backgroundRemovals_.takeFailed(removal.removeRef);
    return arrivedDownloads_.erase(removal.download) != 0;
}

} // namespace vexo
