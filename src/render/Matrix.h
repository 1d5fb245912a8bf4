#pragma once

// 4x4 single-precision matrix in OpenGL's column-major order (translation in elements 12-14),
// acting on column vectors. Every in-place product is a post-multiplication.
class Matrix {
public:
    Matrix();  // identity
    explicit Matrix(const float* elements);

    void SetIdentity();
    void Set(const float* elements);
    void Set(int index, float value) { m[index] = value; }
    float Get(int index) const { return m[index]; }
    float& operator[](int index) { return m[index]; }
    float operator[](int index) const { return m[index]; }
    const float* GetData() const { return m; }
    float* GetData() { return m; }

    float Determinant() const;
    // Without an inverse (|det| < 0.0005) the matrix is reported, becomes identity and false is returned.
    bool Invert();

    void Multiply(const Matrix& other);  // this := this * other
    Matrix operator*(const Matrix& other) const;

    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);
    void Translate(float x, float y, float z);
    void Translate(const float* vector);
    void Scale(float x, float y, float z);

    void GetRow(int row, float* out) const;
    void Transpose();
    // Four lines of four values separated by ", ".
    void Print() const;

private:
    float m[16];
};
