#pragma once
// Scalar scene settings are written by the UI thread without the engine lock
// and read by the worker threads while they draw; each is a relaxed atomic so
// that such use is well defined.
#include <array>
#include <atomic>

template <typename T>
class SharedValue {
public:
    constexpr SharedValue(T v = T()) : value_(v) {}
    SharedValue(const SharedValue& other) : value_(other.Get()) {}
    SharedValue& operator=(const SharedValue& other) {
        Set(other.Get());
        return *this;
    }
    SharedValue& operator=(T v) {
        Set(v);
        return *this;
    }
    operator T() const { return Get(); }
    T Get() const { return value_.load(std::memory_order_relaxed); }
    void Set(T v) { value_.store(v, std::memory_order_relaxed); }

private:
    std::atomic<T> value_;
};

// Four floats (positions and directions); components are read one by one.
class SharedVec4 {
public:
    SharedVec4(float x = 0, float y = 0, float z = 0, float w = 0) : v_{x, y, z, w} {}
    std::array<float, 4> Get() const { return {v_[0].Get(), v_[1].Get(), v_[2].Get(), v_[3].Get()}; }
    void Set(const std::array<float, 4>& a) {
        for (int i = 0; i < 4; ++i) v_[i].Set(a[i]);
    }
    float operator[](int i) const { return v_[i].Get(); }
    void SetAt(int i, float value) { v_[i].Set(value); }

private:
    SharedValue<float> v_[4];
};
