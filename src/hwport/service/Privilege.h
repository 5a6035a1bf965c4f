// A service installed set-user-ID root serves the user who started it. It
// works with that user's ids, so that every file it makes or removes in the
// user's folder is made as the user, and takes root back only for the moment
// it opens a device.
#pragma once

#include <sys/types.h>
#include <unistd.h>

namespace hwport::service::privilege {

// Effective user id: the real user's, root kept as the saved id. True when
// that holds afterwards (also when there was nothing to lower).
inline bool lowerToUser()
{
    const uid_t user = getuid();
    if (geteuid() == user)
        return true;
    if (getegid() != getgid() && setresgid(gid_t(-1), getgid(), gid_t(-1)) != 0)
        return false;
    return setresuid(uid_t(-1), user, uid_t(-1)) == 0 && geteuid() == user;
}

// Gives up root for good: real, effective and saved ids all the user's.
inline bool dropForGood()
{
    const uid_t user = getuid();
    const gid_t group = getgid();
    if (setresgid(group, group, group) != 0 || setresuid(user, user, user) != 0)
        return false;
    uid_t r, e, s;
    return getresuid(&r, &e, &s) == 0 && r == user && e == user && s == user;
}

// Root for the life of the object, when root was kept as the saved id.
class Raised {
public:
    Raised()
    {
        uid_t r, e, s;
        if (getresuid(&r, &e, &s) == 0 && e != 0 && s == 0 && seteuid(0) == 0)
            lowered_ = e;
    }
    ~Raised()
    {
        if (lowered_ != uid_t(-1) && seteuid(lowered_) != 0)
            _exit(70);  // never go on as root by accident
    }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    uid_t lowered_ = uid_t(-1);
};

}  // namespace hwport::service::privilege
