#pragma once

#include <functional>
#include <utility>

// Where a parameter row keeps its value: a plain value owned elsewhere, or a getter and a setter
// (usually calls into the project; the setter may throw). An unbound value reads as T() and
// ignores writes, which is what read-only rows need.
template <typename T>
class ValueBinding {
 public:
  using Getter = std::function<T()>;
  using Setter = std::function<void(const T&)>;

  ValueBinding() = default;
  explicit ValueBinding(T* value) : m_value(value) {}
  ValueBinding(Getter get, Setter set) : m_get(std::move(get)), m_set(std::move(set)) {}

  T get() const {
    if (m_value) return *m_value;
    return m_get ? m_get() : T();
  }

  // A plain value is written only when it changes; a setter is always called.
  void set(const T& value) const {
    if (m_value) {
      if (!(*m_value == value)) *m_value = value;
    } else if (m_set) {
      m_set(value);
    }
  }

  bool canSet() const { return m_value || m_set; }

 private:
  T* m_value = nullptr;
  Getter m_get;
  Setter m_set;
};
