/* The MPS2 AN500 board (a Cortex-M7): 4 MB of code memory at 0x00000000, where
   the vector table must come first (the initial stack pointer, then the reset
   handler), and 4 MB of data memory at 0x20000000. The stack grows down from
   the top of data memory; there is no heap. */
MEMORY
{
  FLASH (rx) : ORIGIN = 0x00000000, LENGTH = 4M
  RAM (rwx)  : ORIGIN = 0x20000000, LENGTH = 4M
}

ENTRY(reset_handler)
__stack_top = ORIGIN(RAM) + LENGTH(RAM);

SECTIONS
{
  .vectors : { KEEP(*(.vectors)) } > FLASH

  .text :
  {
    *(.text .text.*)
    *(.rodata .rodata.*)
    . = ALIGN(8);
  } > FLASH

  /* Unwinding tables (libgcc's and newlib's objects carry them even in a build
     without exceptions): placed in flash explicitly, or the linker puts them
     after .data and reports an overlap. */
  .ARM.extab : { *(.ARM.extab* .gnu.linkonce.armextab.*) } > FLASH
  .ARM.exidx : { *(.ARM.exidx* .gnu.linkonce.armexidx.*) } > FLASH
  .eh_frame : { KEEP(*(.eh_frame)) } > FLASH

  .init_array :
  {
    __init_array_start = .;
    KEEP(*(SORT(.init_array.*)))
    KEEP(*(.init_array))
    __init_array_end = .;
  } > FLASH

  .data :
  {
    . = ALIGN(8);
    __data_start = .;
    *(.data .data.*)
    . = ALIGN(8);
    __data_end = .;
  } > RAM AT > FLASH
  __data_load = LOADADDR(.data);

  .bss (NOLOAD) :
  {
    . = ALIGN(8);
    __bss_start = .;
    *(.bss .bss.*)
    *(COMMON)
    . = ALIGN(8);
    __bss_end = .;
  } > RAM
  end = .;
}
