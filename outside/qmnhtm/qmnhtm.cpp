// The library's exported calls. They are called from other modules, so no exception leaves them:
// each catches everything and answers FALSE.
#define QMNHTM_BUILDING
#include "qmnhtm.h"

#include "layout.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <vector>

namespace
{

// What tests may read back: the instances the library was initialised with (each once, in the
// order first seen, at most kMaxInstances), and whether measuring is switched on.
constexpr size_t kMaxInstances = 64;

struct Records
{
    std::mutex lock;
    std::vector<HINSTANCE> instances;
    std::atomic<bool> measuring{true};
};

Records& TheRecords()
{
    static Records records;
    return records;
}

void Remember(HINSTANCE instance)
{
    Records& records = TheRecords();
    std::lock_guard<std::mutex> guard(records.lock);
    auto& list = records.instances;
    if (list.size() < kMaxInstances && std::find(list.begin(), list.end(), instance) == list.end())
        list.push_back(instance);
}

UINT CopyInstances(HINSTANCE* out, UINT capacity)
{
    Records& records = TheRecords();
    std::lock_guard<std::mutex> guard(records.lock);
    const auto& list = records.instances;
    if (out)
        std::copy_n(list.begin(), std::min<size_t>(capacity, list.size()), out);
    return static_cast<UINT>(list.size());
}

} // namespace

QMNHTM_API BOOL WINAPI QHTM_Initialize(HINSTANCE instance)
{
    try
    {
        if (!instance)
            return FALSE;
        Remember(instance);
        return TRUE;
    }
    catch (...)
    {
        return FALSE;
    }
}

QMNHTM_API BOOL WINAPI QHTM_RenderHTMLRect(HDC dc, LPCWSTR html, HINSTANCE, UINT flags, LPCRECT rect)
{
    try
    {
        if (!dc || !html || !rect)
            return FALSE;
        qmnhtm::Draw(dc, html, *rect, (flags & QHTM_TRANSPARENT) != 0);
        return TRUE;
    }
    catch (...)
    {
        return FALSE;
    }
}

QMNHTM_API BOOL WINAPI QHTM_GetHTMLHeight(HDC dc, LPCWSTR html, HINSTANCE, UINT, UINT width, UINT* height)
{
    try
    {
        if (!dc || !html || !height || width == 0 || !TheRecords().measuring)
            return FALSE;
        const int limited = width > static_cast<UINT>(INT_MAX) ? INT_MAX : static_cast<int>(width);
        *height = static_cast<UINT>(qmnhtm::MeasureHeight(dc, html, limited));
        return TRUE;
    }
    catch (...)
    {
        return FALSE;
    }
}

QMNHTM_API UINT WINAPI QHTM_TestControl(UINT command, HINSTANCE* instances, UINT capacity)
{
    try
    {
        Records& records = TheRecords();
        switch (command)
        {
        case QHTM_TEST_INSTANCES:
            return CopyInstances(instances, capacity);
        case QHTM_TEST_MEASURE_OFF:
            return records.measuring.exchange(false) ? 1 : 0;
        case QHTM_TEST_MEASURE_ON:
            return records.measuring.exchange(true) ? 1 : 0;
        case QHTM_TEST_RESET:
        {
            std::lock_guard<std::mutex> guard(records.lock);
            records.instances.clear();
            records.measuring = true;
            return 0;
        }
        default:
            return static_cast<UINT>(-1);
        }
    }
    catch (...)
    {
        return static_cast<UINT>(-1);
    }
}
