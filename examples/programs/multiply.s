; multiply.s -- 13 x 11 by shift and add.
;
; The processor has no multiply and no shift: a left shift is r + r.  Each step tests one bit of the
; multiplier with a mask that moves left (1, 2, 4, ...), adds the multiplicand to the product when the
; bit is set, and doubles both multiplicand and mask.  Eight steps cover an 8-bit multiplier.  The
; product, 143 (0x008F), ends in r3 and in RAM word 0.

        setlo r1, 13          ; multiplicand, doubled every step
        setlo r2, 11          ; multiplier
        setlo r4, 1           ; mask: the multiplier bit tested in this step
        setlo r5, 8           ; steps left
        setlo r6, 0x40        ; RAM word 0
        nop
step:   ands  r0, r2, r4      ; Z = the multiplier bit is 0 (r0 is not written)
        beq   skip            ; bit clear: skip the add
        nop                   ; the three words after a branch run, taken or not
        nop
        nop
        add   r3, r3, r1      ; bit set: product += multiplicand
skip:   add   r1, r1, r1      ; multiplicand << 1
        add   r4, r4, r4      ; mask << 1
        subs  r5, r5, 1
        bne   step
        nop
        nop
        nop
        st    r3, [r6 + 0]    ; RAM[0] = the product

halt:   bra   halt            ; the end: a branch to itself, taken on every pass
        nop                   ; its three delay slots, run on every pass
        nop
        nop
