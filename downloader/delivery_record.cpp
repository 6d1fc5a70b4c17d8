// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/delivery_record.h"

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
