#pragma once

#include "Component.h"

#include <memory>
#include <stdexcept>
#include <vector>

// The window's components, in the order they were made; each hook reaches them in that order.
// They go before the window's controls do, so none outlives what it was handed.
class TComponents {
public:
    template <class T> T& Add(std::unique_ptr<T> component) {
        T& added = *component;
        list_.push_back(std::move(component));
        return added;
    }

    template <class F> void ForEach(F&& each) {
        for (const auto& component : list_)
            each(*component);
    }
    // True when each says true of every component (asked in order, until one says false).
    template <class F> bool All(F&& each) {
        for (const auto& component : list_)
            if (!each(*component))
                return false;
        return true;
    }
    // True when each says true of any component (asked in order, until one does).
    template <class F> bool Any(F&& each) {
        for (const auto& component : list_)
            if (each(*component))
                return true;
        return false;
    }

    // The component of type T, for tests and tools that drive one directly.
    template <class T> T& Get() const {
        for (const auto& component : list_)
            if (auto* found = dynamic_cast<T*>(component.get()))
                return *found;
        throw std::logic_error("no such component");
    }

private:
    std::vector<std::unique_ptr<TComponent>> list_;
};
