# The two set-up commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
BIN := $(BUILD_DIR)/bin
# Extra CMake settings, e.g. CMAKE_FLAGS=-DEXAM_WERROR=ON (what CI uses).
CMAKE_FLAGS ?=

# The tests of the hand-written parsers (BIFF8, compound file, zip entries, CSV), the roster
# import, the database and the certificates: what make test-asan runs under the sanitizers.
ASAN_TESTS := test_workbook_files test_roster_import test_import_preview test_database \
              test_database_faults test_draw_certificate test_verify test_draw_repository test_cli

.PHONY: run test test-asan build deps bench format clean package

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR)

run: build
	@test -f $(BIN)/Db/Exam.mdb || $(BIN)/examdb init --demo $(BIN)
	$(BIN)/Vardel

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# A build of its own with AddressSanitizer and UndefinedBehaviorSanitizer, for the tests above.
test-asan: deps
	@cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DEXAM_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_DIR) --target $(ASAN_TESTS) startup_probe
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	    ctest --output-on-failure -j2 -R '^($(subst $(eval) ,|,$(strip $(ASAN_TESTS))))$$'

# The Debian package, in $(BUILD_DIR): exam-invigilation_<version>-1_<arch>.deb
package: build
	@cmake --build $(BUILD_DIR) --target package

bench: build
	@for b in $(BUILD_DIR)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

format:
	@cmake --build $(BUILD_DIR) --target format

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
