# The two set-up commands for a fresh Debian 12 machine: `make test` and `make run`.
.PHONY: deps test run release package clean format

deps:
	./scripts/install-deps.sh

test: deps
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

release: deps
	cmake --preset release
	cmake --build --preset release

package: release
	cd build/release && cpack

run: release
	./scripts/run-demo.sh build/release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
