// qvprov: the mapping of client-library statuses to the spooler's Win32 errors.
#include "provider.h"

namespace {

struct StatusPair {
    int32_t status;
    DWORD error;
};

constexpr DWORD kInvalid = ERROR_INVALID_PARAMETER;

// Searched from the first pair. The first pair and the last two are {0, 0}.
constexpr StatusPair StatusMap[] = {
    {0, ERROR_SUCCESS},
    {-1, kInvalid},
    {-2, ERROR_NOT_ENOUGH_MEMORY},
    {-3, ERROR_INVALID_PRINTER_COMMAND},
    {-4, kInvalid},
    {-5, kInvalid},
    {-6, kInvalid},
    {-7, kInvalid},
    {-8, kInvalid},
    {-9, kInvalid},
    {-10, kInvalid},
    {-11, kInvalid},
    {-12, kInvalid},
    {-13, kInvalid},
    {-14, kInvalid},
    {-15, kInvalid},
    {-16, kInvalid},
    {-17, kInvalid},
    {-18, kInvalid},
    {-19, kInvalid},
    {-20, kInvalid},
    {-21, kInvalid},
    {-22, kInvalid},
    {-23, kInvalid},
    {-24, kInvalid},
    {-25, kInvalid},
    {-26, kInvalid},
    {-27, ERROR_UNKNOWN_PORT},
    {-28, ERROR_INVALID_PRINTER_NAME},
    {-29, ERROR_INVALID_NAME},
    {-30, kInvalid},
    {-31, ERROR_NO_SPOOL_SPACE},
    {-32, kInvalid},
    {-33, kInvalid},
    {-34, kInvalid},
    {-35, kInvalid},
    {-36, kInvalid},
    {-37, kInvalid},
    {-38, kInvalid},
    {-39, kInvalid},
    {-40, kInvalid},
    {-41, kInvalid},
    {-42, kInvalid},
    {-43, kInvalid},
    {-44, kInvalid},
    {-45, kInvalid},
    {-46, kInvalid},
    {-47, kInvalid},
    {-48, kInvalid},
    {-49, kInvalid},
    {-50, kInvalid},
    {-51, kInvalid},
    {-52, kInvalid},
    {-53, kInvalid},
    {-54, kInvalid},
    {-55, kInvalid},
    {-56, kInvalid},
    {-57, kInvalid},
    {-58, kInvalid},
    {-59, ERROR_ACCESS_DENIED},
    {-60, ERROR_ACCESS_DENIED},
    {-61, ERROR_ACCESS_DENIED},
    {-62, ERROR_ACCESS_DENIED},
    {-63, kInvalid},
    {-64, kInvalid},
    {-65, kInvalid},
    {-66, kInvalid},
    {-67, kInvalid},
    {-68, kInvalid},
    {-69, kInvalid},
    {-70, kInvalid},
    {-71, kInvalid},
    {-72, kInvalid},
    {-73, kInvalid},
    {-74, kInvalid},
    {-75, kInvalid},
    {-76, kInvalid},
    {-77, kInvalid},
    {-78, kInvalid},
    {-79, kInvalid},
    {-80, kInvalid},
    {-81, kInvalid},
    {-82, kInvalid},
    {-83, kInvalid},
    {-84, kInvalid},
    {-85, kInvalid},
    {-87, kInvalid},
    {-88, kInvalid},
    {-90, kInvalid},
    {-92, kInvalid},
    {-93, kInvalid},
    {-94, kInvalid},
    {-95, kInvalid},
    {-96, kInvalid},
    {-97, kInvalid},
    {-899, kInvalid},
    {-900, kInvalid},
    {-901, kInvalid},
    {-902, kInvalid},
    {-903, kInvalid},
    {-904, kInvalid},
    {-905, kInvalid},
    {-998, kInvalid},
    {-999, kInvalid},
    {-1000, kInvalid},
    {1, kInvalid},
    {2, ERROR_NO_MORE_ITEMS},
    {4, kInvalid},
    {5, kInvalid},
    {6, kInvalid},
    {7, kInvalid},
    {8, kInvalid},
    {9, kInvalid},
    {900, kInvalid},
    {901, kInvalid},
    {902, kInvalid},
    {0, ERROR_SUCCESS},
    {0, ERROR_SUCCESS},
};
static_assert(sizeof StatusMap / sizeof StatusMap[0] == 118, "118 pairs");

} // namespace

// Sets the thread's last error to the Win32 error of a status and returns it.
DWORD MapStatus(QvStatus status)
{
    DWORD error = ERROR_INVALID_PARAMETER;
    for (const StatusPair &pair : StatusMap) {
        if (pair.status == status) {
            error = pair.error;
            break;
        }
    }
    SetLastError(error);
    return error;
}
