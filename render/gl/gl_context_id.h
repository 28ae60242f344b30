// Which OpenGL context is current, for the objects and buffer contents kept per context.
#pragma once

#include <list>

// The current context (EGL's, else GLX's); null when none is current.
const void* currentGlContext();

// The entry of the current context among entries kept per context (each with a field
// `context`), added on first use. A list, so that an entry stays where it is while others
// come and go.
template <typename Entry>
Entry& entryOfCurrentContext(std::list<Entry>& entries)
{
    const void* context = currentGlContext();
    for (Entry& entry : entries) {
        if (entry.context == context) {
            return entry;
        }
    }
    entries.emplace_back();
    entries.back().context = context;
    return entries.back();
}

// Takes the entry of a context that is going away out of the list. Its objects are given
// back through release(entry) only when that context is the current one: elsewhere their
// names would mean another context's objects.
template <typename Entry, typename Release>
void forgetContextEntry(std::list<Entry>& entries, const void* context, Release release)
{
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (entry->context == context) {
            if (context == currentGlContext()) {
                release(*entry);
            }
            entries.erase(entry);
            return;
        }
    }
}
