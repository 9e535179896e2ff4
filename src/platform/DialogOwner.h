#pragma once

class QWidget;

// A system dialog opens over a window of the program and is modal to it. The
// main window names itself the owner once it exists and takes that back when
// it goes; until then the dialogs have none.
class DialogOwner
{
public:
    void setOwner(QWidget* window) { m_owner = window; }
    QWidget* owner() const { return m_owner; }

protected:
    ~DialogOwner() = default;

private:
    QWidget* m_owner = nullptr;
};
