#pragma once

// Owns one reference of a COM interface. A pointer is taken in one of two
// ways, named at the call: Attach takes over a reference that the caller
// already holds (a fresh out-parameter), Share adds a reference of its own.
template <class T>
class ComRef
{
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }

    static ComRef Attach(T* p)
    {
        ComRef ref;
        ref.p_ = p;
        return ref;
    }
    static ComRef Share(T* p)
    {
        if (p)
            p->AddRef();
        return Attach(p);
    }

    void Reset()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    // The reference leaves with the pointer (for an out-parameter).
    T* Detach()
    {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    T** Out()
    {
        Reset();
        return &p_;
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};
