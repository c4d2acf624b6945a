#include "ui_view.h"

namespace suitediag
{
namespace
{
std::vector<UiView>& Table()
{
    static std::vector<UiView> table;
    return table;
}
} // namespace

UiViewRegistration::UiViewRegistration(const UiView& view) { Table().push_back(view); }

const std::vector<UiView>& UiViews() { return Table(); }

const UiView* FindUiView(LPCWSTR name)
{
    for (const UiView& view : UiViews())
        if (_wcsicmp(view.name, name) == 0)
            return &view;
    return nullptr;
}
} // namespace suitediag
