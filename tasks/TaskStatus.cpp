#include "tasks/TaskStatus.h"

namespace tasks {

QString statusText(int status)
{
    return QString::number(status);
}

StatusNotice makeNotice(const QString &productId, int status, const QString &tips, const QString &rate,
                        const QString &runRate, bool showDisable, const QString &downSizeRate)
{
    StatusNotice notice;
    notice.id = productId;
    notice.status = status;
    notice.tips = tips;
    notice.rate = rate;
    notice.runRate = runRate;
    notice.showDisable = showDisable;
    notice.downSizeRate = downSizeRate;
    return notice;
}

} // namespace tasks
