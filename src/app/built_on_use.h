// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <utility>

// Controls hidden at start that are built together, the first time code
// reaches for one of them: until then the window's start pays nothing for them.
class HiddenParts {
  public:
    void SetBuilder(std::function<void()> build) { build_ = std::move(build); }
    void Build() {
        if (built_ || !build_) return;
        built_ = true;
        build_();
    }
    bool Built() const { return built_; }

  private:
    std::function<void()> build_;
    bool built_ = false;
};

// A pointer to one of those controls. Reading it builds the group first, so it
// reads like the plain pointer it stands for.
template <class T>
class BuiltOnUse {
  public:
    explicit BuiltOnUse(HiddenParts& parts) : parts_(&parts) {}
    BuiltOnUse(const BuiltOnUse&) = delete;
    BuiltOnUse& operator=(const BuiltOnUse&) = delete;
    // For the builder.
    BuiltOnUse& operator=(T* control) {
        control_ = control;
        return *this;
    }

    T* get() const {
        parts_->Build();
        return control_;
    }
    T* operator->() const { return get(); }
    operator T*() const { return get(); }
    // The control, or null while the group is not built: for telling controls
    // apart without building them.
    T* IfBuilt() const { return control_; }

  private:
    HiddenParts* parts_;
    T* control_ = nullptr;
};
