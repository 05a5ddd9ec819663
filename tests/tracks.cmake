# Tests of this subsystem (varnek_test(name sources...) then link varnek_core).
