#include "app/document/view_toggles.h"

#include "app/document/mdi_child.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

namespace {

bool& Switch(EnvData& env, ViewToggle which) {
    switch (which) {
        case ViewToggle::NamePlate:
            return env.NamePlate;
        case ViewToggle::LinkMark:
            return env.LinkMark;
        case ViewToggle::GroupFrame:
            return env.GroupFrame;
        case ViewToggle::GroupLine:
            return env.GroupLine;
        case ViewToggle::DivLine:
            break;
    }
    return env.DivLine;
}

}  // namespace

void ToggleView(EnvData& env, ViewToggle which, const QList<TMDIChild*>& windows,
                TMDIChild* active) {
    bool& on = Switch(env, which);
    on = !on;
    switch (which) {
        case ViewToggle::LinkMark:
            // The mark is part of every card's image.
            for (TMDIChild* w : windows) {
                for (const auto& f : w->Set().Fragments())
                    f->MarkStale();
                w->Set().RefreshVisibility();
            }
            return;
        case ViewToggle::DivLine:
            // Whether the grid shows is worked out with the page size.
            if (active) active->Set().RedrawAll();
            return;
        default:
            if (active) {
                active->Set().RefreshVisibility();
                active->Set().RepaintTouchedFrames();
            }
            return;
    }
}

}  // namespace qv
