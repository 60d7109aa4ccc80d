# The two set-up commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
BIN := $(BUILD_DIR)/bin

.PHONY: run test build deps bench format clean package

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja >/dev/null
	@cmake --build $(BUILD_DIR)

run: build
	@test -f $(BIN)/Db/Exam.mdb || $(BIN)/examdb init --demo $(BIN)
	$(BIN)/Vardel

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# The Debian package, in $(BUILD_DIR): exam-invigilation_<version>-1_<arch>.deb
package: build
	@cmake --build $(BUILD_DIR) --target package

bench: build
	@for b in $(BUILD_DIR)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

format:
	@cmake --build $(BUILD_DIR) --target format

clean:
	rm -rf $(BUILD_DIR)
