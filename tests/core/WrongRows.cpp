// Tables and procedures built wrong must not compile. The build compiles
// this file once per case (WRONG_ROW set to the case's number) and expects
// the compiler to name the check that caught it.
#include "console/Dispatch.h"

namespace pellix {

#if WRONG_ROW == 1  // seven slot writes in one row
constexpr Row kWrong[] = {
    Eq("wrong", Set(slot::Hostname, "a")
                    .Set(slot::Rip, "b")
                    .Set(slot::Igrp, "c")
                    .Set(slot::RouteTo10, "d")
                    .Set(slot::RouteTo50, "e")
                    .Set(slot::List3Deny, "f")
                    .Set(slot::List3Permit, "g")),
};
#elif WRONG_ROW == 2  // three printed lines in one row
constexpr Row kWrong[] = {Eq("wrong", Print("one").Print("two").Print("three"))};
#elif WRONG_ROW == 3  // a move to a mode that no table declares
constexpr Row kWrong[] = {Eq("wrong", ToMode(Mode::NotStarted))};
#elif WRONG_ROW == 4  // a procedure that sends the router to a mode no table declares
void Wrong(Command& command) {
    command.GoTo(Mode::NotStarted);
}
#else  // the same rows within bounds compile
constexpr Row kRight[] = {
    Eq("right", Set(slot::Hostname, "a")
                    .Set(slot::Rip, "b")
                    .Set(slot::Igrp, "c")
                    .Set(slot::RouteTo10, "d")
                    .Set(slot::RouteTo50, "e")
                    .Print("one")
                    .Print("two")
                    .ToMode(Mode::GlobalConfig)),
};
void Right(Command& command) {
    command.GoTo(Mode::PrivilegedExec);
}
#endif

}  // namespace pellix
