#pragma once

namespace tildo {

// Sets a flag for the life of the scope and clears it on every exit path.
class TFlagScope
{
public:
    explicit TFlagScope(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~TFlagScope() { m_flag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& m_flag;
};

} // namespace tildo
