# Thin front door: the real build is CMake + Ninja in build/.
BUILD_DIR ?= build
JOBS ?= 2

.PHONY: build test demo setup clean

build:
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

setup:
	bash scripts/setup.sh

test: setup
	$(MAKE) build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

demo: setup
	$(MAKE) build
	bash scripts/demo.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
